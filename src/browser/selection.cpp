#include "browser/selection.h"

#include "browser/node_keys.h"

namespace korvimo {

SelectionPlan PlanShowSelection(SelectedKey key) {
    SelectionPlan plan;
    if (!key) return plan;

    NodeKey node = ClassifyKey(*key);
    plan.touchText1 = true;
    plan.callLrud = true;
    switch (node.kind) {
    case NodeKind::TextEntry:
        plan.commands = EntryCommands::Enable;
        plan.text1Visible = true;
        plan.textSlot = node.slot;
        break;
    case NodeKind::PicEntry:
        plan.commands = EntryCommands::Enable;
        plan.image1 = Image1Action::ShowAtOrigin;
        plan.picSlot = node.slot;
        break;
    case NodeKind::Root:
    case NodeKind::Unknown:
        plan.commands = EntryCommands::Disable;
        plan.image1 = Image1Action::Hide;
        break;
    }
    return plan;
}

DeletePlan PlanDelete(SelectedKey key) {
    DeletePlan plan;
    if (!key) return plan;
    NodeKey node = ClassifyKey(*key);
    if (!node.IsEntry()) return plan;
    plan.proceed = true;
    if (node.kind == NodeKind::TextEntry) plan.clearTextSlot = node.slot;
    // Nothing shows a deleted picture again, so its storage is given back.
    if (node.kind == NodeKind::PicEntry) plan.releasePicSlot = node.slot;
    return plan;
}

bool ClickReshowsSelection(TreeClickTarget target) { return target == TreeClickTarget::SelectedNode; }

}  // namespace korvimo
