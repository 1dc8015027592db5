#include "builtin/db.hpp"

#include <stdexcept>

#include "builtin/corrections.hpp"
#include "builtin/reference.hpp"
#include "common/lazy.hpp"

namespace nerith::db {

std::vector<ports::Port> build_ports(std::string_view reference_text,
                                     std::string_view corrections_text) {
  // Both documents are parsed before anything is converted.
  auto reference = reference::parse(reference_text);
  if (!reference) {
    throw std::runtime_error("invalid embedded ports_reference.json: " + reference.error());
  }
  const auto corrections = corrections::parse(corrections_text);
  if (!corrections) {
    throw std::runtime_error("invalid embedded ports_corrections.json: " + corrections.error());
  }
  std::vector<ports::Port> table;
  table.reserve(reference->ports.size());
  for (const reference::ReferencePort& entry : reference->ports) table.push_back(entry.to_port());
  if (const auto applied = corrections::apply(table, *corrections); !applied) {
    throw std::runtime_error("ports_corrections.json merge failed: " + applied.error().message());
  }
  return table;
}

const std::vector<ports::Port>& BuiltinTable::get() const {
  // Allocated once and never freed: a reader on another thread may still be
  // using the table while static destructors run at exit.
  static auto* const table = new detail::Lazy(
      [] { return build_ports(embedded_reference_document(), embedded_corrections_document()); });
  return table->get();
}

}  // namespace nerith::db
