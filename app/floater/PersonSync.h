#pragma once
// Creating or updating a journal patient from Q7's database.

#include <QString>

namespace floater {

class PersonSync {
public:
    virtual ~PersonSync() = default;
    // The patient's PATIENTNR; 0 when Q7 has no such person; -1 after an error
    // (which has been reported).
    virtual int AddOrEditPersonFromQ7ToHalden32(const QString& personnr, bool quiet) = 0;
};

} // namespace floater
