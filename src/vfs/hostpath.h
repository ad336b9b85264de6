// Plain files under the search paths. The data was made on a file system
// that ignores case, so a name that does not exist as spelled is looked for
// again with every path component matched ignoring case.
#pragma once

#include <string>

// Host path of `name` below the search path `root`: the exact join when it
// exists, otherwise spelled as on disk wherever a component exists under
// another case. A last component that matches nothing stays as given (a
// file about to be created).
std::string vfs_host_path(const char* root, const char* name);

// Drops the cached directory listings.
void vfs_forget_listings();
