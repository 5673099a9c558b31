#include "ServeSession.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "Text.h"
#include "hostapi/SPMessages.h"
#include "simhost/DialogManager.h"
#include "simhost/Menus.h"
#include "simhost/PreferenceStore.h"

namespace shunthost::serve {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLogLines = 200;

bool isButton(const std::string& kind) {
    return kind == "button" || kind == "default-button" || kind == "cancel-button";
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

bool inside(const fs::path& folder, const fs::path& file) {
    const auto [end, unused] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return end == folder.end();
}

std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

// An error code as a person reads it: the number or its four characters,
// and what it means.
std::string codeInWords(ASErr code) {
    struct Known {
        ASErr code;
        const char* meaning;
    };
    static constexpr Known known[] = {
        {kMacMemFullErr, "not enough memory"},
        {kOutOfMemoryErr, "not enough memory"},
        {kSPSuiteNotFoundError, "a suite it needs is missing"},
        {kCanceledErr, "cancelled"},
        {kBadParameterErr, "a value out of range"},
        {kBadHandleErr, "an unknown or expired handle"},
        {kWrongArtTypeErr, "an object of the wrong kind"},
        {kUnimplementedEntryErr, "a function the host does not have"},
        {kNotFoundErr, "something it looked for does not exist"},
    };
    const auto bits = static_cast<std::uint32_t>(code);
    std::string text;
    const char chars[] = {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16),
                          static_cast<char>(bits >> 8), static_cast<char>(bits)};
    if (std::all_of(std::begin(chars), std::end(chars), [](char c) { return c >= 0x21 && c <= 0x7e; })) {
        text = "'" + std::string(chars, 4) + "'";
    } else {
        text = std::to_string(code);
    }
    for (const Known& entry : known) {
        if (entry.code == code) {
            return text + " (" + entry.meaning + ")";
        }
    }
    return text;
}

}  // namespace

void PictureFiles::add(int plugin, ADMInt32 id, const std::string& name, ServedFile file) {
    std::lock_guard lock(mutex_);
    files_.insert_or_assign({plugin, id, name}, std::move(file));
}

std::optional<ServedFile> PictureFiles::find(int plugin, ADMInt32 id, const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto found = files_.find({plugin, id, name});
    return found == files_.end() ? std::nullopt : std::optional<ServedFile>(found->second);
}

void PictureFiles::addLinked(const std::string& href, ServedFile file) {
    std::lock_guard lock(mutex_);
    linked_.insert_or_assign(href, std::move(file));
}

std::optional<ServedFile> PictureFiles::findLinked(const std::string& href) const {
    std::lock_guard lock(mutex_);
    auto found = linked_.find(href);
    return found == linked_.end() ? std::nullopt : std::optional<ServedFile>(found->second);
}

ServeSession::ServeSession(SessionSettings settings, HostMailbox& mailbox, PublishedState& published,
                           PictureFiles& pictures)
    : settings_(std::move(settings)), mailbox_(mailbox), published_(published), pictures_(pictures) {
    artwork_ = svg::readSvg(settings_.artworkPath, settings_.maxArtworkSize);
    simhost::HostOptions options;
    options.preferencesFile = settings_.preferencesFile;
    options.logCalls = false;
    host_ = std::make_unique<simhost::Host>(options);
    host_->setEventListener([this](const simhost::UiEvent& event) { noteEvent(event); });
    host_->dialogs().setModalAnswerer([this](ADMDialogRef dialog) { return answerModal(dialog); });
    host_->dialogs().setAlertWaiter([this](const std::string& text) { waitForAlert(text); });
    for (const StartFault& fault : settings_.faults) {
        if (fault.entry) {
            host_->faults().failEntry(fault.suite, *fault.entry, fault.code, 1, -1);
        } else {
            host_->faults().refuse(fault.suite, std::nullopt, fault.code);
        }
    }
    host_->document() = artwork_.document;
    pageArtwork_ = std::make_unique<PageArtwork>(artwork_);
    findLinkedImages();
    savedState_ = captureState(host_->document());
    for (const std::string& bundle : settings_.bundles) {
        const SPPluginRef plugin = host_->loadBundle(bundle);
        const simhost::PluginResources* resources = host_->dialogs().resources(plugin);
        if (resources == nullptr) {
            continue;
        }
        // A picture is served only from inside its bundle's Resources folder,
        // whatever its resource line says.
        const fs::path folder = fs::weakly_canonical(resources->folder);
        const auto opened = ServedFolder::open(folder);
        for (const auto& [key, picture] : resources->pictures) {
            const fs::path file = fs::weakly_canonical(folder / picture.file);
            if (!inside(folder, file)) {
                continue;
            }
            if (auto pinned = ServedFile::pin(opened, file.lexically_relative(folder))) {
                pictures_.add(pluginIndex(plugin), key.first, key.second, std::move(*pinned));
            }
        }
    }
}

ServeSession::~ServeSession() = default;

// Placed images are files beside the document. The page may show those the
// document links to when it is opened, if they are images in the
// document's folder; a link elsewhere, or to anything else, stays unshown.
void ServeSession::findLinkedImages() {
    const fs::path folder = fs::weakly_canonical(fs::absolute(settings_.artworkPath).parent_path());
    const auto opened = ServedFolder::open(folder);
    static const char* const kImageTypes[] = {".svg", ".png", ".jpg", ".jpeg", ".gif", ".webp", ".bmp"};
    for (const pugi::xpath_node found : artwork_.xml->select_nodes("//*[local-name()='image']")) {
        const pugi::xml_node image = found.node();
        const pugi::xml_attribute plain = image.attribute("href");
        const std::string href(artwork_.value(plain ? plain : image.attribute("xlink:href")));
        if (href.empty() || href.starts_with("data:") || href.find(':') != std::string::npos) {
            continue;
        }
        std::error_code ec;
        const fs::path file = fs::weakly_canonical(folder / href, ec);
        std::string extension = file.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ec || !inside(folder, file) ||
            std::find(std::begin(kImageTypes), std::end(kImageTypes), extension) == std::end(kImageTypes)) {
            continue;
        }
        if (auto pinned = ServedFile::pin(opened, file.lexically_relative(folder))) {
            pictures_.addLinked(href, std::move(*pinned));
        }
    }
}

int ServeSession::pluginIndex(SPPluginRef plugin) const {
    const auto all = host_->plugins();
    const auto found = std::find(all.begin(), all.end(), plugin);
    return found == all.end() ? -1 : static_cast<int>(found - all.begin());
}

ADMDialogRef ServeSession::palette() const {
    return host_->dialogs().findDialog("ShuntDialog");
}

bool ServeSession::unsavedChanges() const {
    return !sameState(savedState_, host_->document());
}

void ServeSession::run() {
    publish();
    start();
    publish();
    settle();
    while (!stopping_) {
        Job job = mailbox_.take();
        JobOutcome outcome;
        if (job.kind == Job::Kind::Stop) {
            stopping_ = true;
        } else if (job.kind == Job::Kind::Answer) {
            outcome = {409, "no dialog is open"};
        } else if (job.kind == Job::Kind::Read) {
            finish(job, job.run());
            continue;
        } else {
            outcome = job.run();
        }
        publish();
        finish(job, outcome);
        settle();
    }
    stop();
}

void ServeSession::start() {
    if (const auto& damage = host_->preferences().damageReport()) {
        std::cerr << "shunt-host: " << *damage << '\n';
        log_.push_back("preferences: " + *damage);
    }
    host_->startup();
    started_ = true;
}

void ServeSession::stop() {
    if (started_) {
        host_->shutdown();
        started_ = false;
        if (!host_->preferences().saveError().empty()) {
            std::cerr << "shunt-host: the preferences were not written: " << host_->preferences().saveError()
                      << '\n';
        }
    }
    publish();
    settle();
}

// The state is published before a request hears that its job is done, so
// that its answer shows what the job did.
void ServeSession::finish(Job& job, const JobOutcome& outcome) {
    if (job.finished) {
        job.finished(outcome);
    }
    published_.poke();
}

void ServeSession::settle() {
    std::vector<Job> answered = std::move(answered_);
    answered_.clear();
    for (Job& job : answered) {
        finish(job, {});
    }
}

// --- modal dialogs and alerts

ADMInt32 ServeSession::answerModal(ADMDialogRef ref) {
    simhost::DialogManager& dialogs = host_->dialogs();
    const simhost::Dialog* dialog = dialogs.dialog(ref);
    OpenModal modal;
    modal.name = dialog != nullptr ? dialog->name : "";
    int fallback = 1;
    if (dialog != nullptr) {
        for (ADMItemRef itemRef : dialog->items) {
            const simhost::DialogItem* item = dialogs.item(itemRef);
            const std::string text = item->textSetByPlugin ? macRomanToUtf8(item->text) : item->text;
            if (isButton(item->kind)) {
                modal.buttons.emplace_back(item->id, text.empty() ? "OK" : text);
                if (item->kind == "default-button") {
                    fallback = item->id;
                }
            } else if (!text.empty()) {
                modal.texts.push_back(text);
            }
        }
    }
    if (modal.buttons.empty()) {
        modal.buttons.emplace_back(1, "OK");
    }
    if (stopping_) {
        return fallback;  // shutting down: nobody is left to answer
    }
    return nestedLoop(std::move(modal));
}

void ServeSession::waitForAlert(const std::string& text) {
    if (stopping_) {
        return;
    }
    OpenModal modal;
    modal.isAlert = true;
    modal.texts.push_back(macRomanToUtf8(text));
    modal.buttons.emplace_back(1, "OK");
    nestedLoop(std::move(modal));
}

// As a real host's modal loop: the page stays blocked, and only the answer
// to this dialog gets through; any other request is turned away.
ADMInt32 ServeSession::nestedLoop(OpenModal modal) {
    modal.number = ++modalCount_;
    const std::uint64_t number = modal.number;
    ADMInt32 answer = modal.buttons.front().first;
    modals_.push_back(std::move(modal));
    publish();
    for (;;) {
        Job job = mailbox_.take();
        if (job.kind == Job::Kind::Stop) {
            stopping_ = true;
            answered_.push_back(std::move(job));
            break;
        }
        if (job.kind == Job::Kind::Read) {
            finish(job, job.run());  // changes nothing: a page may load meanwhile
            continue;
        }
        if (job.kind == Job::Kind::Answer && job.modal == number) {
            answer = job.item;
            answered_.push_back(std::move(job));
            break;
        }
        finish(job, {409, "a dialog is open: answer it first"});
    }
    modals_.pop_back();
    publish();
    return answer;
}

void ServeSession::noteEvent(const simhost::UiEvent& event) {
    std::string line = std::visit(
        Overloaded{
            [](const simhost::AlertShown& alert) { return "alert " + inQuotes(macRomanToUtf8(alert.text)); },
            [](const simhost::DialogShown& dialog) {
                std::string text = "dialog " + inQuotes(dialog.name);
                for (const auto& [item, itemText] : dialog.itemTexts) {
                    text += " " + std::to_string(item) + "=" + inQuotes(macRomanToUtf8(itemText));
                }
                return text;
            },
            [](const simhost::MessageAnswered& answer) {
                // The plug-ins' answers are for the transcript; the page hears
                // only of a start that failed, in words.
                std::cout << "result " << inQuotes(answer.caller) << " " << inQuotes(answer.selector) << " "
                          << answer.result << std::endl;
                if (answer.selector != kSPInterfaceStartupSelector || answer.result == kNoErr) {
                    return std::string();
                }
                return "The plug-in failed to start, with error " + codeInWords(answer.result) +
                       ": its menus and palette are not available.";
            },
            [](const simhost::HostRefused& refusal) {
                return "refused " + inQuotes(refusal.what) + ": " + refusal.reason;
            },
        },
        event);
    if (line.empty()) {
        return;
    }
    log_.push_back(std::move(line));
    if (log_.size() > kLogLines) {
        log_.erase(log_.begin());
    }
}

// --- what the page asks for

JobOutcome ServeSession::paletteStep(const std::vector<int>& keys,
                                     const std::function<void(ADMDialogRef)>& callback) {
    const ADMDialogRef dialog = palette();
    if (dialog == nullptr) {
        return {409, "there is no palette"};
    }
    captureState(host_->document(), stepBefore_);
    host_->dialogs().setKeysDown(keys);
    callback(dialog);
    host_->dialogs().setKeysDown({});
    history_.record(stepBefore_, host_->document());
    return {};
}

JobOutcome ServeSession::click(int itemID, const std::vector<int>& keys) {
    return paletteStep(keys, [&](ADMDialogRef dialog) {
        if (ADMItemRef item = host_->dialogs().findItem(dialog, itemID)) {
            host_->dialogs().notify(item, kADMUserChangedNotifier);
        }
    });
}

JobOutcome ServeSession::choose(int index, const std::vector<int>& keys) {
    return paletteStep(keys, [&](ADMDialogRef dialog) {
        if (ADMItemRef item = host_->dialogs().findItem(dialog, -5)) {
            host_->dialogs().choose(item, index);
        }
    });
}

JobOutcome ServeSession::goMenu(std::uint32_t index) {
    auto& items = host_->menus().items();
    if (index >= items.size() || !items.aliveAt(index)) {
        return {404, "no such menu item"};
    }
    const AIMenuItemHandle handle = items.handleAt(index);
    const simhost::MenuItem& item = items.at(index);
    if (item.plugin == nullptr || item.submenu != nullptr) {
        return {409, "that menu item does nothing by itself"};
    }
    host_->sendMenu(item.plugin, kSelectorAIGoMenuItem, handle);
    return {};
}

// A host asks its plug-ins to set their items' check marks just before it
// shows a menu, and so does the page when one opens.
JobOutcome ServeSession::updateMenus() {
    auto& items = host_->menus().items();
    for (std::uint32_t i = 0; i < items.size(); ++i) {
        if (items.aliveAt(i) && items.at(i).plugin != nullptr && items.at(i).submenu == nullptr) {
            host_->sendMenu(items.at(i).plugin, kSelectorAIUpdateMenuItem, items.handleAt(i));
        }
    }
    return {};
}

JobOutcome ServeSession::select(const std::vector<simhost::ArtId>& ids, bool toggle) {
    simhost::Document& document = host_->document();
    for (simhost::ArtId id : ids) {
        if (!document.isLive(id)) {
            return {404, "the document has no object " + std::to_string(id)};
        }
    }
    if (!toggle) {
        document.select(ids);
        return {};
    }
    std::vector<simhost::ArtId> selection = document.selection();
    for (simhost::ArtId id : ids) {
        const auto found = std::find(selection.begin(), selection.end(), id);
        if (found == selection.end()) {
            selection.push_back(id);
        } else {
            selection.erase(found);
        }
    }
    document.select(std::move(selection));
    return {};
}

JobOutcome ServeSession::selectAll() {
    host_->document().selectAll();
    return {};
}

JobOutcome ServeSession::selectNone() {
    host_->document().selectNone();
    return {};
}

JobOutcome ServeSession::drag(int top, int left) {
    const ADMDialogRef dialog = palette();
    if (dialog == nullptr) {
        return {409, "there is no palette"};
    }
    if (!host_->dialogs().drag(dialog, top, left)) {
        return {400, "the palette cannot go there"};
    }
    return {};
}

JobOutcome ServeSession::undo() {
    return history_.undo(host_->document()) ? JobOutcome{} : JobOutcome{409, "nothing to undo"};
}

JobOutcome ServeSession::redo() {
    return history_.redo(host_->document()) ? JobOutcome{} : JobOutcome{409, "nothing to redo"};
}

// Save writes the page's copy, brought up to date first so that the page
// hears of every change the writer makes.
JobOutcome ServeSession::save() {
    refreshArtwork();
    artwork_.document = host_->document();
    try {
        svg::writeSvg(artwork_, settings_.saveTo);
    } catch (const svg::SvgError& error) {
        return {500, "not saved: " + std::string(error.what())};
    }
    savedState_ = captureState(host_->document());
    savedMessage_ = "Saved to " + settings_.saveTo;
    log_.push_back("saved " + inQuotes(settings_.saveTo));
    return {};
}

void ServeSession::refreshArtwork() {
    const simhost::Document& document = host_->document();
    if (artworkVersion_ == 0) {
        // The copy was made from the same XML as the host's document.
        captureState(document, renderedState_);
        artworkVersion_ = 1;
        return;
    }
    // Compared in place: a copy of a large drawing's state each publish
    // cost more than the changes it found.
    const std::optional<std::vector<std::size_t>> changedAt = changedSince(renderedState_, document);
    const bool sameObjects = changedAt.has_value();
    std::vector<simhost::ArtId> changed;
    if (sameObjects) {
        changed.reserve(changedAt->size());
        for (const std::size_t i : *changedAt) {
            changed.push_back(renderedState_[i].id);
        }
    }
    std::string delta;
    try {
        if (!sameObjects) {
            // Objects came or went, which no palette operation does: the page loads it all again.
            artwork_.document = host_->document();
            svg::applyChanges(artwork_);
            pageArtwork_ = std::make_unique<PageArtwork>(artwork_);  // keys afresh
            delta = R"({"reload":true})";
        } else if (changed.empty()) {
            return;
        } else {
            delta = pageArtwork_->update(host_->document(), changed)
                        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        }
        renderError_.clear();
    } catch (const svg::SvgError& error) {
        // The page keeps what it shows; the changes are tried again at the next publish.
        renderError_ = error.what();
        return;
    }
    if (sameObjects) {
        for (const std::size_t i : *changedAt) {
            const simhost::ArtObject& object = document.art(renderedState_[i].id);
            renderedState_[i].style = object.style;
            renderedState_[i].matrix = object.matrix;
        }
    } else {
        captureState(document, renderedState_);
    }
    ++artworkVersion_;
    if (!sameObjects) {
        deltas_.clear();
        deltaBytes_ = 0;
    }
    deltaBytes_ += delta.size();
    deltas_.emplace_back(artworkVersion_, std::make_shared<const std::string>(std::move(delta)));
    freshDelta_ = true;
    // A page further behind than this loads the whole artwork, which costs less.
    constexpr std::size_t kKeptDeltas = 16;
    constexpr std::size_t kKeptBytes = std::size_t{64} << 20;
    while (deltas_.size() > kKeptDeltas || (deltas_.size() > 1 && deltaBytes_ > kKeptBytes)) {
        deltaBytes_ -= deltas_.front().second->size();
        deltas_.pop_front();
    }
}

std::string ServeSession::artworkSince(std::optional<std::uint64_t> since) {
    nlohmann::json head = {{"version", artworkVersion_}};
    if (since && *since == artworkVersion_) {
        head["deltas"] = nlohmann::json::array();
        return head.dump();
    }
    if (since && *since < artworkVersion_ && !deltas_.empty() && deltas_.front().first <= *since + 1) {
        std::string body = head.dump();
        body.pop_back();
        body += ",\"deltas\":[";
        bool first = true;
        for (const auto& [version, delta] : deltas_) {
            if (version > *since) {
                body += first ? "" : ",";
                body += *delta;
                first = false;
            }
        }
        return body + "]}";
    }
    try {
        head["svg"] = pageArtwork_->wholeText();
    } catch (const svg::SvgError& error) {
        head["error"] = error.what();
    }
    return head.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace shunthost::serve
