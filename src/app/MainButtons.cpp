#include "app/MainButtons.h"

namespace stripstock {

Command1Action Command1ActionFor(int index) {
    switch (index) {
        case 0:
            return Command1Action::NewPrescription;
        case 1:
            return Command1Action::EditLedger;
        case 2:
            return Command1Action::DeletePrescription;
        case 3:
            return Command1Action::NewStrip;
        case 4:
            return Command1Action::EditStrip;
        case 5:
            return Command1Action::DeleteStrip;
        case 6:
            return Command1Action::FaultyMeasurements;
        default:
            return Command1Action::None;
    }
}

std::optional<std::string> DeleteStripQuestion(const std::vector<ListEntry>& list,
                                               int selectedRow) {
    if (selectedRow < 0 || selectedRow >= static_cast<int>(list.size())) return std::nullopt;
    const std::string& name = list[static_cast<std::size_t>(selectedRow)].text;
    return name.empty() ? std::string(kDeleteStripQuestion)
                        : std::string(kDeleteStripQuestion) + "\n" + name;
}

}  // namespace stripstock
