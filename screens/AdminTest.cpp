#include "screens/AdminTest.h"

namespace qz {

bool IsAdministrator(Program& p) {
    const bool member = p.svc.system.UserIsAdministrator();
    return member && p.rt.startOption != StartOption::InhibitAdmin;
}

bool ExitPermitted(Program& p) {
    return IsAdministrator(p) || !p.set.exitAdminOnly;
}

} // namespace qz
