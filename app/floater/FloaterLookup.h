#pragma once
// The floater's patient lookup: where every number to follow ends up.

#include "app/core/Tracking.h"

namespace floater {

class TQ7FloaterFrmOrvana;

class FloaterLookup : public app::PatientLookup {
public:
    explicit FloaterLookup(TQ7FloaterFrmOrvana& window) : window_(window) {}

    // Stores the number (prefix removed, hyphen inserted) as the current and
    // the last looked-up number. The journal query comes with the database.
    void LookupPatient(const std::string& text, bool pushAllowed) override;

    int antalgangeriopenpatient() const { return antalgangeriopenpatient_; }

private:
    TQ7FloaterFrmOrvana& window_;
    int antalgangeriopenpatient_ = 0;
};

} // namespace floater
