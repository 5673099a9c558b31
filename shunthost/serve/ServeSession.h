// The host behind the page: one simulated host on one document, driven by
// jobs that the page's requests leave in the mailbox. Everything here runs on
// the host's thread, the thread that called run(); modal dialogs and alerts
// run a nested loop on it until the page answers them.
#ifndef SHUNTHOST_SERVE_SERVESESSION_H
#define SHUNTHOST_SERVE_SERVESESSION_H

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "HostMailbox.h"
#include "PageArtwork.h"
#include "ServedFile.h"
#include "StartFaults.h"
#include "UndoHistory.h"
#include "simhost/Host.h"
#include "svg/SvgDocument.h"

namespace shunthost::serve {

struct SessionSettings {
    std::string artworkPath;  // the document opened
    std::string saveTo;       // the one file the page's Save writes
    std::vector<std::string> bundles;
    std::string preferencesFile;
    std::vector<StartFault> faults;
    std::uint64_t maxArtworkSize = svg::kDefaultMaxArtworkSize;  // larger artwork is refused
};

// The files the page may read besides its own, fixed when the document is
// opened: the pictures of the bundles' resources, by plug-in, number and
// name, and the images the document links to, by the link as written. The
// server's threads look files up here and never in the host.
class PictureFiles {
public:
    void add(int plugin, ADMInt32 id, const std::string& name, ServedFile file);
    std::optional<ServedFile> find(int plugin, ADMInt32 id, const std::string& name) const;
    void addLinked(const std::string& href, ServedFile file);
    std::optional<ServedFile> findLinked(const std::string& href) const;

private:
    mutable std::mutex mutex_;
    std::map<std::tuple<int, ADMInt32, std::string>, ServedFile> files_;
    std::map<std::string, ServedFile> linked_;
};

// What the page shows of an open alert or modal dialog.
struct OpenModal {
    std::uint64_t number = 0;
    bool isAlert = false;
    std::string name;                                  // the dialog's name
    std::vector<std::string> texts;                    // alert text, or the dialog's texts (UTF-8)
    std::vector<std::pair<int, std::string>> buttons;  // item number, caption
};

class ServeSession {
public:
    ServeSession(SessionSettings settings, HostMailbox& mailbox, PublishedState& published,
                 PictureFiles& pictures);
    ~ServeSession();

    // Loads the bundles and starts the plug-ins, then runs jobs until a Stop
    // job comes; then shuts the plug-ins down and writes the preferences.
    // Throws std::runtime_error when a bundle cannot be loaded.
    void run();
    // True when the document has changes that were not saved at the end.
    bool unsavedChanges() const;

    // --- what the page's requests do, on the host's thread
    JobOutcome click(int item, const std::vector<int>& keys);
    JobOutcome choose(int index, const std::vector<int>& keys);
    JobOutcome goMenu(std::uint32_t item);
    JobOutcome updateMenus();
    JobOutcome select(const std::vector<simhost::ArtId>& ids, bool toggle);
    JobOutcome selectAll();
    JobOutcome selectNone();
    JobOutcome drag(int top, int left);
    JobOutcome undo();
    JobOutcome redo();
    JobOutcome save();
    // What a page that has the artwork of `since` needs to catch up, as JSON:
    // {"version": V, "deltas": [...]} when the changes since are still kept,
    // else {"version": V, "svg": TEXT} (or "error" when it cannot be shown).
    std::string artworkSince(std::optional<std::uint64_t> since);

private:
    void start();
    void stop();
    void finish(Job& job, const JobOutcome& outcome);
    // Tells the requests whose answer has taken effect, once the host is idle.
    void settle();
    // Runs a palette callback as one undoable step.
    JobOutcome paletteStep(const std::vector<int>& keys, const std::function<void(ADMDialogRef)>& callback);
    ADMInt32 answerModal(ADMDialogRef dialog);
    void waitForAlert(const std::string& text);
    ADMInt32 nestedLoop(OpenModal modal);
    void noteEvent(const simhost::UiEvent& event);
    void publish();
    // Puts what changed in the document since the page's copy was last made
    // into that copy, as a new artwork version with its delta.
    void refreshArtwork();
    void findLinkedImages();
    std::string stateJson() const;
    ADMDialogRef palette() const;
    int pluginIndex(SPPluginRef plugin) const;

    SessionSettings settings_;
    HostMailbox& mailbox_;
    PublishedState& published_;
    PictureFiles& pictures_;
    std::unique_ptr<simhost::Host> host_;
    svg::SvgArtwork artwork_;  // the page's copy; Save writes it too
    std::unique_ptr<PageArtwork> pageArtwork_;
    std::string renderError_;
    DocumentState renderedState_;
    std::uint64_t artworkVersion_ = 0;
    // The latest changes, each the step to its version from the one before;
    // bounded, so that a page far behind loads the whole artwork again.
    std::deque<std::pair<std::uint64_t, std::shared_ptr<const std::string>>> deltas_;
    std::size_t deltaBytes_ = 0;
    bool freshDelta_ = false;
    bool unsaved_ = false;  // as last published  // deltas_.back() is this publish's news
    std::uint64_t selectionVersion_ = 0;
    std::vector<simhost::ArtId> publishedSelection_;
    UndoHistory history_;
    DocumentState stepBefore_;  // the document before a palette step, its storage kept
    DocumentState savedState_;
    std::string savedMessage_;
    std::vector<OpenModal> modals_;
    std::uint64_t modalCount_ = 0;
    std::vector<std::string> log_;
    std::vector<Job> answered_;  // answers whose dialog closed, told at settle()
    bool stopping_ = false;
    bool started_ = false;
};

}  // namespace shunthost::serve

#endif
