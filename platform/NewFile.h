#pragma once

#include <string>

// What createNewFile did.
enum class CreateResult {
    created,  // a new, empty regular file of that name now exists, this call's own
    exists,   // something by that name exists already (a link too, whatever it points to)
    failed,   // anything else; nothing was created
};

// Creates the empty file `path` (UTF-8) only when nothing by that name exists,
// in one step of the system (O_CREAT | O_EXCL on POSIX, CREATE_NEW on
// Windows), so that of two processes taking the same name at once exactly one
// gets it. `reason` (when given) says in words why it `failed`.
CreateResult createNewFile(const std::string& path, std::string* reason = nullptr);
