#pragma once
// Programs that put secrets on the clipboard (password managers, for one) mark
// them with registered formats so that monitors and histories leave them alone.
#include <cstdint>
#include <optional>

namespace korvimo {

// Names of the registered clipboard formats that carry the markers.
inline constexpr const char16_t* kExcludeFromMonitorFormat = u"ExcludeClipboardContentFromMonitorProcessing";
inline constexpr const char16_t* kCanIncludeInHistoryFormat = u"CanIncludeInClipboardHistory";
inline constexpr const char16_t* kViewerIgnoreFormat = u"Clipboard Viewer Ignore";

struct PrivacyMarks {
    bool excludeFromMonitor = false;            // format present at all
    bool viewerIgnore = false;                  // format present at all
    std::optional<uint32_t> canIncludeInHistory;  // the format's 32-bit value, when present and readable
};

// Private content is never recorded.
bool IsPrivate(const PrivacyMarks& marks);

}  // namespace korvimo
