#include "InkscapeEffect.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <unordered_map>

#include "CapturedMatrixFile.h"
#include "ScenarioRunner.h"
#include "Text.h"
#include "simhost/DialogManager.h"
#include "simhost/Host.h"
#include "simhost/PreferenceStore.h"
#include "svg/SvgDocument.h"

namespace shunthost {

namespace {

namespace fs = std::filesystem;

constexpr ADMInt32 kPopupItem = -5;
constexpr int kCaptureEntry = 0;
constexpr int kApplyEntry = 1;
constexpr int kShowEntry = 2;

fs::path configFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = config != nullptr && *config != '\0' ? fs::path(config)
                          : home != nullptr                    ? fs::path(home) / ".config"
                                                               : fs::temp_directory_path();
    return base / "shunt-host";
}

std::optional<std::string> readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        return std::nullopt;
    }
    return text;
}

bool isPatternPath(const simhost::ArtObject& art) {
    return art.type == kPathArt && art.style.fillPaint == 1 && art.style.fillColorKind == kPattern;
}

bool isDashedStroke(const simhost::ArtObject& art) {
    return art.type == kPathArt && art.style.strokePaint == 1 && art.style.dashCount != 0;
}

bool isImage(const simhost::ArtObject& art) {
    return art.type == kPlacedArt || art.type == kRasterArt;
}

// Whether the operation changes the object, as the palette's code has it.
bool changes(EffectOperation operation, const simhost::ArtObject& art) {
    switch (operation) {
        case EffectOperation::Slide:
            return isPatternPath(art);
        case EffectOperation::Dashes:
            return isDashedStroke(art);
        case EffectOperation::Reset:
            return isPatternPath(art) || isDashedStroke(art) || isImage(art);
        case EffectOperation::Capture:
            return isPatternPath(art) || isImage(art);
        case EffectOperation::Apply:
            return isPatternPath(art) || isImage(art) || art.type == kForeignObjectArt;
        case EffectOperation::Show:
            return true;
    }
    return false;
}

// Objects about which the plug-in tells the user itself that it cannot handle them.
bool answeredByPlugin(EffectOperation operation, const simhost::ArtObject& art) {
    return operation != EffectOperation::Slide &&
           (art.type == kMysteryPathArt ||
            (operation == EffectOperation::Capture && art.type == kForeignObjectArt));
}

std::string nothingToDo(EffectOperation operation, bool groupSelected) {
    std::string text;
    switch (operation) {
        case EffectOperation::Slide:
            text = "None of the selected objects is filled with a pattern: the drawing is unchanged.";
            break;
        case EffectOperation::Dashes:
            text = "None of the selected objects has a dashed stroke: the drawing is unchanged.";
            break;
        case EffectOperation::Reset:
            text =
                "None of the selected objects has a pattern fill, a dashed stroke or is an image: "
                "the drawing is unchanged.";
            break;
        case EffectOperation::Capture:
            text = "None of the selected objects has a pattern fill or is an image: nothing was captured.";
            break;
        default:
            text =
                "None of the selected objects has a pattern fill or is an image: the drawing is unchanged.";
            break;
    }
    if (groupSelected) {
        text +=
            " The palette works on the objects themselves, not on the groups that hold them: "
            "select the objects inside the group (Ctrl+click).";
    }
    return text;
}

std::string describe(const simhost::UiEvent& event) {
    struct Describe {
        std::string operator()(const simhost::AlertShown& alert) const { return macRomanToUtf8(alert.text); }
        std::string operator()(const simhost::DialogShown& dialog) const {
            std::string text = dialog.name + ":";
            for (const auto& [item, itemText] : dialog.itemTexts) {
                text += " " + macRomanToUtf8(itemText);
            }
            return text;
        }
        std::string operator()(const simhost::MessageAnswered& answer) const {
            return "The plug-in answered \"" + answer.caller + "\"/\"" + answer.selector + "\" with code " +
                   std::to_string(answer.result) + ".";
        }
        std::string operator()(const simhost::HostRefused& refusal) const {
            return "The host refused " + refusal.what + ": " + refusal.reason + ".";
        }
    };
    return std::visit(Describe{}, event);
}

// The objects with these names, in the order given (kNoArt for a name no
// object has), found in one walk over the drawing, which ends once every name
// is found: Inkscape may hand over every object of a large drawing, or a few
// near its start.
std::vector<std::pair<std::string, simhost::ArtId>> findObjects(const simhost::Document& drawing,
                                                                const std::vector<std::string>& names) {
    std::unordered_map<std::string_view, simhost::ArtId> wanted;
    for (const auto& name : names) {
        wanted.emplace(name, simhost::kNoArt);
    }
    std::size_t missing = wanted.size();
    for (simhost::ArtId id = 0; id < drawing.slotCount() && missing > 0; ++id) {
        const simhost::ArtObject& art = drawing.art(id);
        if (!art.alive) {
            continue;
        }
        const auto found = wanted.find(art.name);
        if (found != wanted.end() && found->second == simhost::kNoArt) {
            found->second = id;
            --missing;
        }
    }
    std::vector<std::pair<std::string, simhost::ArtId>> objects;
    for (const auto& name : names) {
        objects.emplace_back(name, wanted.at(name));
    }
    return objects;
}

// One placed image carrying `matrix`, selected: what the popup's capture and
// apply work on when the host hands the plug-in the last capture back, or
// asks it for what it captured.
simhost::Document standIn(const AIRealMatrix& matrix) {
    simhost::Document document;
    simhost::ArtObject image;
    image.type = kPlacedArt;
    image.matrix = matrix;
    image.name = "captured-matrix";
    document.select({document.add(std::move(image))});
    return document;
}

// The palette, started in a host of its own for one effect.
class PaletteSession {
public:
    PaletteSession(const EffectSettings& settings, std::ostream& err) : err_(err) {
        simhost::HostOptions options;
        options.preferencesFile = settings.preferencesFile;
        options.logCalls = false;
        host_.emplace(options);
        host_->setEventListener([this](const simhost::UiEvent& event) { heard_.push_back(describe(event)); });
        if (const auto& damage = host_->preferences().damageReport()) {
            err_ << "shunt-host: " << *damage << '\n';
        }
        for (const auto& bundle : settings.bundles) {
            host_->loadBundle(bundle);
        }
        host_->startup();
        palette_ = host_->dialogs().findDialog("ShuntDialog");
        tellUser();
    }

    ~PaletteSession() {
        if (host_) {
            host_->shutdown();
            tellUser();
            for (const auto& violation : host_->violations()) {
                err_ << "shunt-host: the plug-in broke a host rule: " << violation << '\n';
            }
        }
    }

    PaletteSession(const PaletteSession&) = delete;
    PaletteSession& operator=(const PaletteSession&) = delete;

    bool started() const { return palette_ != nullptr; }
    simhost::Host& host() { return *host_; }

    void click(int item, const std::vector<int>& keys) {
        host_->dialogs().setKeysDown(keys);
        host_->dialogs().notify(host_->dialogs().findItem(palette_, item), kADMUserChangedNotifier);
        host_->dialogs().setKeysDown({});
        tellUser();
    }

    void choose(int entry) {
        host_->dialogs().choose(host_->dialogs().findItem(palette_, kPopupItem), entry);
        tellUser();
    }

    // Gives the plug-in back the matrix captured in an earlier run, by letting
    // it capture that matrix again from a stand-in in a document of its own.
    bool restoreCapture(const AIRealMatrix& matrix) { return withStandIn(matrix, kCaptureEntry).has_value(); }

    // What the plug-in holds as its captured matrix: applied to a stand-in.
    std::optional<AIRealMatrix> capturedMatrix() {
        return withStandIn(AIRealMatrix{1, 0, 0, 1, 0, 0}, kApplyEntry);
    }

private:
    std::optional<AIRealMatrix> withStandIn(const AIRealMatrix& matrix, int entry) {
        simhost::Document drawing = std::move(host_->document());
        host_->document() = standIn(matrix);
        host_->dialogs().choose(host_->dialogs().findItem(palette_, kPopupItem), entry);
        std::optional<AIRealMatrix> result;
        if (heard_.empty()) {
            result = host_->document().art(0).matrix;
        }
        host_->document() = std::move(drawing);
        heard_.clear();
        return result;
    }

    void tellUser() {
        for (const auto& line : heard_) {
            err_ << line << '\n';
        }
        heard_.clear();
    }

    std::ostream& err_;
    std::optional<simhost::Host> host_;
    ADMDialogRef palette_ = nullptr;
    std::vector<std::string> heard_;
};

}  // namespace

EffectSettings defaultEffectSettings() {
    EffectSettings settings;
    settings.bundles = findBundles(SHUNT_DEFAULT_PLUGINS_DIR);
    const fs::path folder = configFolder();
    // The palette is never shown here, so its place and docking mean nothing;
    // kept in memory, they cost no write (and no wait for the disk) per effect
    // and leave the preferences of `run` and `serve` alone.
    settings.preferencesFile.clear();
    settings.capturedMatrixFile = (folder / "captured-matrix.txt").string();
    return settings;
}

int runEffect(const EffectCall& call, const EffectSettings& settings, std::ostream& out, std::ostream& err) {
    // The drawing as Inkscape handed it over, byte for byte, where nothing
    // changes; read only then, as opening reads the file itself.
    const auto unchanged = [&](int status) {
        if (const std::optional<std::string> input = readWhole(call.documentPath)) {
            out.write(input->data(), static_cast<std::streamsize>(input->size()));
        }
        return status;
    };

    std::optional<svg::SvgArtwork> artwork;
    try {
        artwork.emplace(svg::readSvg(call.documentPath));
    } catch (const svg::SvgError& error) {
        err << "shunt-host cannot work on this drawing: " << error.what() << '\n';
        return unchanged(2);
    }

    simhost::Document& drawing = artwork->document;
    std::vector<simhost::ArtId> selection;
    for (const auto& [id, art] : findObjects(drawing, call.ids)) {
        if (art == simhost::kNoArt) {
            err << "shunt-host: the drawing has no object \"" << id << "\"; it is left out.\n";
        } else {
            selection.push_back(art);
        }
    }
    if (call.operation != EffectOperation::Show) {
        if (selection.empty()) {
            err << "Nothing is selected: select the objects to work on, then choose Extensions > Shunt "
                   "Palette "
                   "again. The drawing is unchanged.\n";
            return unchanged(0);
        }
        bool anyChanged = false;
        bool anyAnswered = false;
        bool anyGroup = false;
        for (simhost::ArtId id : selection) {
            const simhost::ArtObject& art = std::as_const(drawing).art(id);
            anyChanged = anyChanged || changes(call.operation, art);
            anyAnswered = anyAnswered || answeredByPlugin(call.operation, art);
            anyGroup = anyGroup || art.type == kGroupArt;
        }
        if (!anyChanged && !anyAnswered) {
            err << nothingToDo(call.operation, anyGroup) << '\n';
            return unchanged(0);
        }
    }
    if (settings.bundles.empty()) {
        err << "shunt-host: no plug-in bundle was found: the Shunt Palette is not installed with "
               "shunt-host.\n";
        return unchanged(2);
    }

    try {
        PaletteSession session(settings, err);
        if (!session.started()) {
            err << "shunt-host: the Shunt Palette did not open its palette; the drawing is unchanged.\n";
            return unchanged(2);
        }
        const bool usesCapture = call.operation == EffectOperation::Capture ||
                                 call.operation == EffectOperation::Apply ||
                                 call.operation == EffectOperation::Show;
        if (usesCapture) {
            const StoredMatrix stored = readCapturedMatrix(settings.capturedMatrixFile);
            if (!stored.problem.empty()) {
                err << "shunt-host: " << stored.problem << '\n';
            }
            if (stored.matrix && !session.restoreCapture(*stored.matrix)) {
                err << "shunt-host: the matrix captured earlier could not be given back to the palette; "
                       "the identity is used instead.\n";
            }
        }

        session.host().document() = std::move(drawing);
        session.host().document().select(selection);
        switch (call.operation) {
            case EffectOperation::Slide:
            case EffectOperation::Dashes:
                session.click(call.item, *keysForStep(call.step));
                break;
            case EffectOperation::Reset:
                session.click(call.item, {});
                break;
            case EffectOperation::Capture:
                session.choose(kCaptureEntry);
                break;
            case EffectOperation::Apply:
                session.choose(kApplyEntry);
                break;
            case EffectOperation::Show:
                session.choose(kShowEntry);
                break;
        }
        drawing = std::move(session.host().document());

        if (call.operation == EffectOperation::Capture) {
            if (const auto captured = session.capturedMatrix()) {
                writeCapturedMatrix(settings.capturedMatrixFile, *captured);
            } else {
                err << "shunt-host: the captured matrix could not be read back from the palette; "
                       "it lasts only for this run.\n";
            }
        }
    } catch (const svg::SvgError& error) {
        err << "shunt-host: the captured matrix could not be kept: " << error.what() << '\n';
    } catch (const std::exception& error) {
        err << "shunt-host: " << error.what() << "; the drawing is unchanged.\n";
        return unchanged(2);
    }

    if (call.operation == EffectOperation::Capture || call.operation == EffectOperation::Show) {
        return unchanged(0);
    }
    try {
        const std::string text = svg::writeSvgText(*artwork);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    } catch (const svg::SvgError& error) {
        err << "shunt-host cannot save the changed drawing: " << error.what() << "; it is left unchanged.\n";
        return unchanged(2);
    }
    return 0;
}

int runEffectCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    EffectCall call;
    try {
        call = parseEffectCall(args);
    } catch (const EffectCallError& error) {
        err << "shunt-host: " << error.what() << '\n';
        return 2;
    }
    return runEffect(call, defaultEffectSettings(), out, err);
}

}  // namespace shunthost
