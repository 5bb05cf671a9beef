#include "TervalenUser.h"

namespace toolkit {

TTervalenUser& CurrentUser()
{
    static TTervalenUser user;
    return user;
}

TTervalenUser FloaterUser()
{
    TTervalenUser u;
    u.CurrentUserType = UserType::utOrdinary;
    u.userTypeIsReadOnly = true;
    u.UserHasSignRights = false;
    u.currentUserPersonnr = "Q7FloaterOrvana";
    u.CurrentKlinikNr = 0;
    return u;
}

} // namespace toolkit
