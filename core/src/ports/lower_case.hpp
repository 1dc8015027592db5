// The lower-casing of the station search, shared by both station lists.
// Internal to the core.
#pragma once

#include <string>
#include <string_view>

namespace nerith::ports::search {

// Full Unicode lower-case mapping in the root locale: one-to-many mappings
// included (U+0130 → i + U+0307) and the final sigma chosen by context.
// An ill-formed UTF-8 sequence reads as U+FFFD.
std::string to_lower(std::string_view text);

}  // namespace nerith::ports::search
