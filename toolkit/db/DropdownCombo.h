#pragma once
// A combo box filled from the journal's drop-down tables: DROPDOWNDATA gives
// the group's mask, style and default entry, DROPDOWNVALUES its active items.

class QComboBox;

namespace toolkit {

// Fills the combo from drop-down group `group` on DefaultQuery's connection.
// The style is DROPDOWNTYP as the list styles number it (2: a fixed list,
// otherwise the text can be typed); DATAMASK becomes the input mask of a
// typed text. A text the combo held before is kept and its item selected;
// otherwise the group's default item, or none. Errors are shown.
void FillComboFromDropdowns(QComboBox* combo, int group);

} // namespace toolkit
