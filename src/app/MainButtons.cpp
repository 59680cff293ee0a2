#include "app/MainButtons.h"

namespace stripstock {

Command1Action Command1ActionFor(int index) {
    switch (index) {
        case 0:
            return Command1Action::NewPrescription;
        case 3:
            return Command1Action::NewStrip;
        case 4:
            return Command1Action::EditStrip;
        case 5:
            return Command1Action::DeleteStrip;
        default:
            return Command1Action::None;
    }
}

}  // namespace stripstock
