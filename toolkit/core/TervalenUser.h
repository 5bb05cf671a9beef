#pragma once
// The toolkit's one record of the current user. The floater runs as a
// read-only user without signing or delete rights, so nothing it opens is
// ever saved, signed or deleted.

#include <string>

namespace toolkit {

enum class UserType { utSystem, utOrdinary, utFTV, utSecurity, utEkonomi };

struct TTervalenUser {
    std::string currentUserTitel;
    std::string CurrentUserDate;
    UserType CurrentUserType = UserType::utOrdinary;
    int currentUser = 0;
    std::string currentUserName;
    std::string currentUserPersonnr;
    std::string LoginUserName;
    std::string LoginPassword;
    std::string Signeringskod;
    bool userTypeIsReadOnly = false;
    bool UserHasSignRights = false;
    bool FTVKlinik = false;
    int CurrentKlinikNr = 0;
    std::string CurrentKlinikname;
    std::string CurrentKlinikOrgnr;
    bool UserhasDeleteDicomDirRights = false;
    bool UserhasDeletePresentation = false;
    bool UserhasDeleteProcessing = false;
    bool ReadOnlyDicomDir = false;
    bool WriteOnlyDicomDir = false;
    bool WriteOnlyPresentation = false;
    bool ReadOnlyPresentation = false;
    std::string CurrentWorkplace;
    bool SeparateSettings = false;
    bool AutoStartup = false;
    std::string Domain;
    std::string AdUserName;
    std::string FullUsername;
};

TTervalenUser& CurrentUser();

// The floater's user: ordinary, read-only, no signing, no delete or
// directory rights, clinic 0.
TTervalenUser FloaterUser();

} // namespace toolkit
