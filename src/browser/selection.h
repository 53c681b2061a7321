#pragma once
// What the viewer shows for the tree's selected node, and the decisions of
// the editing commands that depend on it. The Win32 side carries the plans
// out on the real controls; keeping the decisions here lets them be tested.
#include <cstdint>
#include <optional>
#include <string_view>

namespace korvimo {

// The selected node's key, or nothing when no node is selected.
using SelectedKey = std::optional<std::string_view>;

// The five entry commands (file menu save, tree menu delete, toolbar buttons
// 2, 4 and 5) always change together.
enum class EntryCommands { Untouched, Enable, Disable };

enum class Image1Action {
    Untouched,     // leave visibility, place and picture as they are
    Hide,
    ShowAtOrigin,  // move to left 0, top 0, show, load picSlot's picture
};

struct SelectionPlan {
    EntryCommands commands = EntryCommands::Untouched;
    bool touchText1 = false;    // false: leave Text1 alone
    bool text1Visible = false;  // when touched
    int32_t textSlot = -1;      // slot whose text goes into Text1, -1 none
    Image1Action image1 = Image1Action::Untouched;
    int32_t picSlot = -1;       // slot whose picture Image1 shows, -1 none
    bool callLrud = false;
};

// ShowSelection. With no selection nothing at all changes. A key that is
// neither a root nor a well-formed entry is shown like a root: nothing to
// show and nothing for the entry commands to act on.
SelectionPlan PlanShowSelection(SelectedKey key);

struct DeletePlan {
    bool proceed = false;         // false: roots, unknown keys, no selection
    int32_t clearTextSlot = -1;   // text slot whose stored text goes, -1 none
    int32_t releasePicSlot = -1;  // picture slot whose stored picture goes, -1 none
    // When proceeding: remove the selected node, then run ShowSelection on
    // whatever the tree selects next.
};

DeletePlan PlanDelete(SelectedKey key);

// Where a left click in the tree landed, as the tree reports the click
// (before it moves its selection).
enum class TreeClickTarget { SelectedNode, OtherNode, NoNode };

// Whether the click shows the selection afresh (a panned picture from its
// corner, a scrolled text from its start). Only a click on the node already
// selected does: a click on another node is shown once, by the selection
// notice that follows; one on empty space or an expand button leaves the
// view as the user left it.
bool ClickReshowsSelection(TreeClickTarget target);

}  // namespace korvimo
