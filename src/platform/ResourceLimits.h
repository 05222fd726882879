#pragma once
// A time-ordered load keeps one run file open per 10240 records of a day during its merge; a very large
// day file needs more descriptors than the usual soft limit of 1024.

namespace vyx {

// Raises the soft limit on open files to the hard limit. Best effort: failures are ignored.
void RaiseOpenFileLimit();

}  // namespace vyx
