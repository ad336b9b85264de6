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

// True when `path`, a host path below `root`, stays inside `root` with every
// link followed: the deepest part that exists is resolved, and what does not
// exist yet would be made inside it. Writes, new directories and removals
// ask this, so a link placed in the data directory cannot lead them out.
bool vfs_host_path_stays_inside(const char* root, const std::string& path);

// Drops the cached directory listings.
void vfs_forget_listings();
