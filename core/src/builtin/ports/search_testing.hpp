// Test hooks of the station registry. Internal: not installed, not public.
#pragma once

namespace nerith::ports::search::test_hooks {

// Makes the next operation that takes the custom-station lock throw while it
// holds the lock, as an allocation failure in a copy would. The list is then
// poisoned for the rest of the process.
void fail_next_locked_section();

}  // namespace nerith::ports::search::test_hooks
