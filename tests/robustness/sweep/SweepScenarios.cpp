#include "SweepScenarios.h"

namespace shunt_robustness {

namespace {

// Host key codes of the modifier keys.
constexpr int kEnlargeKey = 241;
constexpr int kDoubleKey = 240;
constexpr int kByFourKey = 243;
constexpr int kByEightKey = 244;

void nothing(Session&, const MixedArtwork&) {}
void started(Session& session, const MixedArtwork&) {
    session.startup();
}

std::vector<SweepScenario> makeScenarios() {
    std::vector<SweepScenario> out;
    out.push_back({"StartupAndShutdown", Walk::None, nothing, [](Session& s, const MixedArtwork&) {
                       s.startup();
                       s.shutdown();
                   }});
    out.push_back(
        {"QuitBeforeTheApplicationStarted", Walk::None, nothing, [](Session& s, const MixedArtwork&) {
             s.sendStartup();
             s.shutdown();
         }});
    out.push_back({"ArrowButtons", Walk::PatternMoves, started, [](Session& s, const MixedArtwork&) {
                       const std::vector<std::vector<int>> keys = {
                           {},
                           {kEnlargeKey},
                           {kDoubleKey},
                           {kEnlargeKey, kByFourKey},
                           {kByEightKey},
                           {kEnlargeKey, kDoubleKey, kByFourKey, kByEightKey},
                           {kDoubleKey, kByFourKey, kByEightKey},
                           {}};
                       for (int item = 1; item <= 8; ++item) {
                           s.holdKeys(keys[static_cast<std::size_t>(item - 1)]);
                           s.click(item);
                       }
                       s.click(1, "ADM Item Tracked Notifier");  // not a click: nothing happens
                   }});
    out.push_back({"DashButtons", Walk::PatternMoves, started, [](Session& s, const MixedArtwork&) {
                       s.click(9);
                       s.holdKeys({kEnlargeKey, kDoubleKey});
                       s.click(10);
                       s.click(10);
                   }});
    out.push_back(
        {"ResetButton", Walk::Reset, started, [](Session& s, const MixedArtwork&) { s.click(11); }});
    out.push_back({"PopupCapture", Walk::Capture, started, [](Session& s, const MixedArtwork& art) {
                       // Each selection stops the walk at a different kind of object.
                       const std::vector<std::vector<simhost::ArtId>> selections = {
                           {art.flatPath, art.patternPath},
                           {art.text, art.placed},
                           {art.group, art.raster},
                           {art.foreign},
                           {art.mystery},
                           {art.dashedPath}};
                       for (const auto& selection : selections) {
                           s.host().document().select(selection);
                           s.choose(0);
                       }
                   }});
    out.push_back({"PopupApply", Walk::Apply,
                   [](Session& s, const MixedArtwork& art) {
                       s.startup();
                       s.host().document().select({art.placed});
                       s.choose(0);
                       s.host().document().select(art.selection);
                   },
                   [](Session& s, const MixedArtwork&) { s.choose(1); }});
    out.push_back({"PopupShowTrackAndOtherEntries", Walk::None, started, [](Session& s, const MixedArtwork&) {
                       s.choose(2);
                       s.choose(3);  // no such entry
                       for (int action = 1; action <= 4; ++action) {
                           s.track(action);
                       }
                   }});
    out.push_back({"MenuItems", Walk::None, started, [](Session& s, const MixedArtwork&) {
                       s.chooseMenuItem(kPaletteMenuText);  // hides the palette
                       s.updateMenus();
                       s.chooseMenuItem(kPaletteMenuText);  // shows it again
                       s.updateMenus();
                       s.chooseMenuItem(kAboutMenuText);
                       s.chooseMenuItem(kSharedAboutMenuText);
                   }});
    out.push_back(
        {"MenusBeforeTheApplicationStarted", Walk::None, nothing, [](Session& s, const MixedArtwork&) {
             // Without a palette every message acquires and releases the whole table.
             s.sendStartup();
             s.updateMenus();
             s.chooseMenuItem(kPaletteMenuText);
             s.chooseMenuItem(kAboutMenuText);
             s.shutdown();
         }});
    out.push_back({"AboutBox", Walk::None, started, [](Session& s, const MixedArtwork&) { s.about(); }});
    out.push_back({"AboutBoxClosedOtherwise", Walk::None, started, [](Session& s, const MixedArtwork&) {
                       // An about box closed by no item of its own hands the plug-in a
                       // result it reports in the error dialog.
                       s.host().dialogs().answerNext(99);
                       s.chooseMenuItem(kAboutMenuText);
                   }});
    out.push_back({"UnloadAndReload", Walk::None, nothing, [](Session& s, const MixedArtwork&) {
                       s.sendStartup();
                       s.unload();
                       s.reload();
                       s.fireApplicationStarted();
                       s.click(3);
                       s.unload();  // refused while the palette holds the plug-in
                       s.updateMenus();
                       s.shutdown();
                       s.unload();
                       s.reload();
                   }});
    return out;
}

}  // namespace

const std::vector<SweepScenario>& sweepScenarios() {
    static const std::vector<SweepScenario> scenarios = makeScenarios();
    return scenarios;
}

}  // namespace shunt_robustness
