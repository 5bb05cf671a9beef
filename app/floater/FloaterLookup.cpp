#include "FloaterLookup.h"

#include "TQ7FloaterFrmOrvana.h"
#include "toolkit/core/PersonalNumber.h"

#include <QPushButton>

namespace floater {

void FloaterLookup::LookupPatient(const std::string& text, bool)
{
    if (window_.showCount())
        window_.orvanaButton()->setText(QString::number(++antalgangeriopenpatient_));
    const std::string number = toolkit::NumberForLookup(text);
    app::TrackingState& state = window_.trackingState();
    state.currentPersonalNumber = number;
    state.PersonFound = true;
    window_.setLastLookedUp(QString::fromStdString(number));
}

} // namespace floater
