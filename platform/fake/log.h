// What the fake system did, shared by its parts.
#pragma once

#include <string>
#include <vector>

namespace kestrive::fake {

// One shared record of what the system did, in order, e.g.
// "setattr E:\a.lnk 128", "delete E:\a.lnk", "msg 64 Delete complete!".
using Log = std::vector<std::string>;

}  // namespace kestrive::fake
