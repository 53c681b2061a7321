#include "app/privacy.h"

namespace korvimo {

bool IsPrivate(const PrivacyMarks& marks) {
    if (marks.excludeFromMonitor || marks.viewerIgnore) return true;
    // Only an explicit 0 forbids the history; 1, or no value, allows it.
    return marks.canIncludeInHistory.has_value() && *marks.canIncludeInHistory == 0;
}

}  // namespace korvimo
