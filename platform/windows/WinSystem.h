#pragma once

namespace qz {

// Whether one of the token's groups carries the name of the built-in Administrators group
// (S-1-5-32-544). Group attributes are not looked at: a group present only for denying access
// counts too. token is a token handle opened with query access.
bool TokenHasAdministratorsGroup(void* token);

} // namespace qz
