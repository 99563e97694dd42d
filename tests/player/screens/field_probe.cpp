// field_probe: runs one world of a game on the game field for a number of
// frames and prints a trace of what the field did, for the field's checks.
//
//   field_probe --game DIR --world KEY [--frames N] [--seed S] [--script FILE]
//               [--restarts R] [--no-fixtures]
//
// The game in DIR is loaded through the real loader; KEY is a world's
// screen-scene "Key". The run seeds the random numbers with S (default 1),
// installs the fixture bodies and character over the registered builders
// (unless --no-fixtures), and runs the director's normal loop at 1136x640
// with a fixed dt of 1/60 for N frames (default 600), then R restarts
// (default 0) of 30 frames each: odd ones press restart, even ones build the
// world again. Without ENGINE_WRITABLE_PATH the player state lives in a
// fresh temporary folder. The log still goes where QVP_LOG says.
//
// Script lines: FRAME COMMAND [ARG...], frames non-decreasing, '#' starts a
// comment; applied at the start of FRAME: press A, release A, kill,
// checkpoint, restart, continue (what a Continue button runs on the scene),
// pause, resume, drive TAG DX DY (from FRAME on, the camera child tagged TAG
// moves by (DX, DY) at the start of every frame; drive TAG 0 0 stops it).
//
// Trace (stdout, in event order; F the frame, numbers %.1f):
//   frame F reset | frame F section ID at D width W | frame F created K queue Q
//   frame F removed TAG x X camera CX | frame F lives N | frame F gameover
//   frame F checkpoint X Y section S | frame F restore X Y camera CX CY
//   frame F score D G | frame F hash H | restart K objects O bodies B orphans R
//   end live L
//
// Exit status: 0 success; 1 the game does not load or the world is unknown;
// 2 usage or script error.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "actions/CCScheduler.h"
#include "base/CCAutoreleasePool.h"
#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "frames/CCSpriteFrameCache.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelClasses.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVNode.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "physics/PhysicsGuard.h"
#include "platform/CCFileUtils.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPFieldStateHash.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "player/screens/ScreenManager.h"
#include "view/CCEGLView.h"

#include "FieldFixtures.h"

using namespace cocos2d;

namespace {

constexpr float kWidth = 1136.0f;
constexpr float kHeight = 640.0f;
constexpr unsigned kRestartFrames = 30;
constexpr long kLoadStepLimit = 1000000;

struct Options {
    std::string game;
    std::string world;
    std::string script;
    unsigned frames = 600;
    unsigned seed = 1;
    unsigned restarts = 0;
    bool fixtures = true;
};

enum class Command { kPress, kRelease, kKill, kCheckpoint, kRestart, kContinue, kPause, kResume, kDrive };

struct ScriptLine {
    unsigned frame = 0;
    Command command = Command::kKill;
    int action = 0;  // the action, or the tag of drive
    CCPoint step;    // drive's movement per frame
};

int usage() {
    std::fprintf(stderr,
                 "usage: field_probe --game DIR --world KEY [--frames N] [--seed S] [--script FILE] "
                 "[--restarts R] [--no-fixtures]\n");
    return 2;
}

// A decimal number of at most `max`, digits only.
bool parseCount(const std::string& text, unsigned long long max, unsigned* out) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    const auto value = parseDecimal<unsigned long long>(text);
    if (value > max) return false;
    *out = static_cast<unsigned>(value);
    return true;
}

// A finite decimal number of at most 1e6 in size, the whole text.
bool parseStep(const std::string& text, float* out) {
    if (text.empty() || text.size() > 32) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || std::fabs(value) > 1e6) return false;
    *out = static_cast<float>(value);
    return true;
}

bool parseOptions(int argc, char** argv, Options* o) {
    std::set<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!seen.insert(arg).second) return false;
        if (arg == "--no-fixtures") {
            o->fixtures = false;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (arg == "--game") {
            o->game = value;
        } else if (arg == "--world") {
            o->world = value;
        } else if (arg == "--script") {
            o->script = value;
        } else if (arg == "--frames") {
            if (!parseCount(value, 100000000, &o->frames) || o->frames == 0) return false;
        } else if (arg == "--seed") {
            if (!parseCount(value, 4294967295ULL, &o->seed)) return false;
        } else if (arg == "--restarts") {
            if (!parseCount(value, 10000, &o->restarts)) return false;
        } else {
            return false;
        }
    }
    return !o->game.empty() && !o->world.empty();
}

// One script line; false when it is malformed.
bool parseScriptLine(std::string text, unsigned lastFrame, std::vector<ScriptLine>* out) {
    const std::size_t hash = text.find('#');
    if (hash != std::string::npos) text.erase(hash);
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty()) return true;
    ScriptLine line;
    if (!parseCount(words[0], 100000000, &line.frame) || line.frame == 0 || line.frame < lastFrame) return false;
    static const struct {
        const char* name;
        Command command;
    } kCommands[] = {
        {"press", Command::kPress},           {"release", Command::kRelease}, {"kill", Command::kKill},
        {"checkpoint", Command::kCheckpoint}, {"restart", Command::kRestart}, {"continue", Command::kContinue},
        {"pause", Command::kPause},           {"resume", Command::kResume},   {"drive", Command::kDrive}};
    const std::string name = words.size() > 1 ? words[1] : std::string();
    const auto known =
        std::find_if(std::begin(kCommands), std::end(kCommands), [&](const auto& c) { return name == c.name; });
    if (known == std::end(kCommands)) return false;
    line.command = known->command;
    if (line.command == Command::kDrive) {
        unsigned tag = 0;
        if (words.size() != 5 || !parseCount(words[2], 2147483647ULL, &tag) || !parseStep(words[3], &line.step.x) ||
            !parseStep(words[4], &line.step.y)) {
            return false;
        }
        line.action = static_cast<int>(tag);
        out->push_back(line);
        return true;
    }
    const bool withAction = line.command == Command::kPress || line.command == Command::kRelease;
    if (words.size() != (withAction ? 3u : 2u)) return false;
    if (withAction) {
        unsigned action = 0;
        if (!parseCount(words[2], 16, &action) || action == 0) return false;
        line.action = static_cast<int>(action);
    }
    out->push_back(line);
    return true;
}

// Exit status 0, or 2 after naming the bad line.
int readScript(const std::string& path, std::vector<ScriptLine>* lines) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "field_probe: cannot read %s\n", path.c_str());
        return 2;
    }
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (!parseScriptLine(text, lines->empty() ? 0 : lines->back().frame, lines)) {
            std::fprintf(stderr, "field_probe: %s:%d: bad script line\n", path.c_str(), number);
            return 2;
        }
    }
    return 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The loader's two steps, as the player and qvloadcheck take them.
bool loadGame(const std::string& root) {
    CCFileUtils::sharedFileUtils()->setResourceRoot(root);
    QVModelController* controller = QVModelController::shared();
    struct stat st {};
    const std::string package = root + "/data/data.pkg";
    controller->archiveMode = ::stat(package.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
    const std::string password = qvformat::kStoredArchivePassword;
    controller->loadInitialData("data/data.pkg", password);
    bool finished = false;
    if (controller->lastError().empty()) {
        controller->clear();
        for (long step = 0; step < kLoadStepLimit && !finished; ++step) {
            finished =
                controller->archiveMode ? controller->loadNextFromArchive(password) : controller->loadNextFromFiles();
        }
    }
    controller->closeDataArchive();
    if (controller->lastError().empty() && finished) return true;
    std::fprintf(stderr, "field_probe: cannot load %s: %s (%s)\n", root.c_str(), controller->lastError().c_str(),
                 controller->lastErrorDetail().c_str());
    return false;
}

bool worldExists(const std::string& key) {
    for (const auto& node : QVModelController::shared()->getModels<QVNodeScene>()) {
        const auto world = node->screenScene();
        if (world && world->key() == key) return true;
    }
    return false;
}

QVPScreenScene* fieldScene() { return ScreenManager::shared()->getGameScene(); }

unsigned currentFrame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }

float toPoints(float metres) { return metres / 0.05f; }

// Mean body position of the characters that have a body, in points; false
// without one.
bool charactersBodyPosition(QVPScreenScene* scene, CCPoint* mean) {
    CCArray* characters = scene->getInputController() ? scene->getInputController()->getCharacters() : nullptr;
    float x = 0.0f, y = 0.0f;
    int count = 0;
    for (unsigned i = 0; characters && i < characters->count(); ++i) {
        auto* character = dynamic_cast<QVPObject*>(characters->objectAtIndex(i));
        b2Body* body = character ? character->getBody() : nullptr;
        if (!body) continue;
        x += toPoints(body->GetPosition().x);
        y += toPoints(body->GetPosition().y);
        ++count;
    }
    if (count == 0) return false;
    *mean = CCPoint(x / static_cast<float>(count), y / static_cast<float>(count));
    return true;
}

void collectSubtree(CCNode* node, std::set<const void*>* objects) {
    CCArray* children = node->getChildren();
    for (unsigned i = 0; children && i < children->count(); ++i) {
        auto* child = static_cast<CCNode*>(children->objectAtIndex(i));
        if (auto* object = dynamic_cast<QVPObject*>(child)) {
            objects->insert(object);
            objects->insert(dynamic_cast<QVPObjectAsset*>(object));
        }
        collectSubtree(child, objects);
    }
}

class Probe;
Probe* g_probe = nullptr;

// Follows the run through the log and the frame: prints the trace and plays
// the script.
class Probe : public CCObject {
public:
    Probe(const Options& options, std::vector<ScriptLine> script) : m_options(options), m_script(std::move(script)) {}

    unsigned totalFrames() const { return m_options.frames + kRestartFrames * m_options.restarts; }

    void onLogLine(const char* text) {
        if (std::strcmp(text, "[QVPScreenScene] - flash: 0.000000") == 0) {
            m_resetFrame = currentFrame();
            m_placed.clear();
            std::printf("frame %u reset\n", currentFrame());
            return;
        }
        unsigned id = 0;
        if (std::sscanf(text, "add level section: %u", &id) == 1) {
            onSectionAdded(id);
            return;
        }
        float cx = 0.0f, cy = 0.0f;
        if (std::sscanf(text, "Restore Camera Positon: %f %f", &cx, &cy) == 2) {
            CCPoint mean;
            QVPScreenScene* scene = fieldScene();
            if (scene) charactersBodyPosition(scene, &mean);
            std::printf("frame %u restore %.1f %.1f camera %.1f %.1f\n", currentFrame(), mean.x, mean.y, cx, cy);
        }
    }

    // The scheduler target: the script's commands and the restarts, before
    // the scene's own update.
    void update(float) override {
        const unsigned frame = currentFrame();
        while (m_next < m_script.size() && m_script[m_next].frame == frame) apply(m_script[m_next++]);
        drive();
        if (m_options.restarts == 0 || frame <= m_options.frames) return;
        const unsigned offset = frame - m_options.frames - 1;
        if (offset % kRestartFrames != 0) return;
        const unsigned k = offset / kRestartFrames + 1;
        if (k > m_options.restarts) return;
        if (k % 2 == 1) {
            if (QVPScreenScene* scene = fieldScene()) scene->restartButtonAction(nullptr);
            return;
        }
        ScreenManager::shared()->setScene(m_options.world);
        if (CCScene* built = ScreenManager::shared()->createCurrentScene()) {
            CCDirector::sharedDirector()->replaceScene(built);
        }
    }

    void onFrameEnd(unsigned frame) {
        QVPScreenScene* scene = fieldScene();
        const int64_t constructed = QVPObject::constructedCount();
        if (constructed > m_constructed) {
            std::printf("frame %u created %lld queue %zu\n", frame, static_cast<long long>(constructed - m_constructed),
                        scene ? scene->getCreationQueueLength() : 0);
        }
        m_constructed = constructed;
        if (!scene) return;
        traceRemovals(scene, frame);
        traceLivesAndGameOver(scene, frame);
        if (frame % 60 == 0) {
            std::printf("frame %u score %.1f %.1f\n", frame, currentScoreRecord().distance.current,
                        scoreRecord("").distance.current);
        }
        if (frame == m_options.frames) {
            std::printf("frame %u hash %016llx\n", frame, static_cast<unsigned long long>(fieldStateHash(*scene)));
        }
        if (frame > m_options.frames && (frame - m_options.frames) % kRestartFrames == 0) {
            traceRestart(scene, (frame - m_options.frames) / kRestartFrames);
        }
    }

private:
    struct Placement {
        uint32_t id;
        float start;
        float width;
    };
    struct Tracked {
        const QVPObject* object;
        int tag;
        float x;
    };

    void onSectionAdded(uint32_t id) {
        QVPScreenScene* scene = fieldScene();
        const auto section = QVModelController::shared()->getModel<QVModelLevelSection>(id);
        const float start = scene ? scene->getNextSectionStart() : 0.0f;
        const float width = section ? section->width() : 0.0f;
        m_placed.push_back({id, start, width});
        std::printf("frame %u section %u at %.1f width %.1f\n", currentFrame(), id, start, width);
    }

    // The last placed section whose [start, start + width) holds `distance`.
    int sectionAt(float distance) const {
        for (auto it = m_placed.rbegin(); it != m_placed.rend(); ++it) {
            if (it->start <= distance && distance < it->start + it->width) return static_cast<int>(it->id);
        }
        return -1;
    }

    // The driven camera children, each by its own step.
    void drive() {
        QVPScreenScene* scene = fieldScene();
        CCNode* camera = scene ? scene->getGameFieldCamera() : nullptr;
        if (!camera) return;
        for (const auto& [tag, step] : m_drives) {
            if (CCNode* child = camera->getChildByTag(tag)) child->setPosition(child->getPosition() + step);
        }
    }

    void apply(const ScriptLine& line) {
        if (line.command == Command::kDrive) {
            if (line.step.x == 0.0f && line.step.y == 0.0f) {
                m_drives.erase(line.action);
            } else {
                m_drives[line.action] = line.step;
            }
            return;
        }
        QVPScreenScene* scene = fieldScene();
        QVPInputController* input = scene ? scene->getInputController() : nullptr;
        if (!input) return;
        switch (line.command) {
            case Command::kPress:
                input->actionPressed(line.action, nullptr);
                break;
            case Command::kRelease:
                input->actionReleased(line.action, nullptr);
                break;
            case Command::kKill:
                input->killAllCharacters();
                break;
            case Command::kCheckpoint: {
                CCPoint p;
                charactersBodyPosition(scene, &p);
                const CCPoint dir = QVPGameFieldSettings::shared()->gameplayDirection();
                const int section = sectionAt(p.x * dir.x + p.y * dir.y);
                scene->saveCheckpoint(p, section);
                std::printf("frame %u checkpoint %.1f %.1f section %d\n", line.frame, p.x, p.y, section);
                break;
            }
            case Command::kRestart:
                scene->restartButtonAction(nullptr);
                break;
            case Command::kContinue:
                QVPScreenUi::continueFromCheckpoint(*scene, *scene);
                break;
            case Command::kPause:
            case Command::kResume:
                scene->requestPause(line.command == Command::kPause);
                break;
            case Command::kDrive:
                break;
        }
    }

    void traceRemovals(QVPScreenScene* scene, unsigned frame) {
        CCNode* camera = scene->getGameFieldCamera();
        std::vector<Tracked> now;
        CCArray* children = camera ? camera->getChildren() : nullptr;
        for (unsigned i = 0; children && i < children->count(); ++i) {
            auto* object = dynamic_cast<QVPObject*>(children->objectAtIndex(i));
            if (object) now.push_back({object, object->getTag(), object->getPositionX()});
        }
        if (m_resetFrame != frame && scene == m_trackedScene) {
            const float cx = camera ? camera->getPositionX() : 0.0f;
            for (const Tracked& old : m_tracked) {
                bool present = false;
                for (const Tracked& t : now) present = present || (t.object == old.object && t.tag == old.tag);
                if (!present) std::printf("frame %u removed %d x %.1f camera %.1f\n", frame, old.tag, old.x, cx);
            }
        }
        m_tracked = std::move(now);
        m_trackedScene = scene;
    }

    void traceLivesAndGameOver(QVPScreenScene* scene, unsigned frame) {
        QVPInputController* input = scene->getInputController();
        const auto health =
            input && input->getCharacters() && input->getCharacters()->count() > 0 ? input->characterHealth() : nullptr;
        if (health && (!m_livesShown || health->livesLeft() != m_lives)) {
            m_livesShown = true;
            m_lives = health->livesLeft();
            std::printf("frame %u lives %d\n", frame, m_lives);
        }
        const bool over = scene->isGameOver();
        if (over && !m_gameOver) std::printf("frame %u gameover\n", frame);
        m_gameOver = over;
    }

    void traceRestart(QVPScreenScene* scene, unsigned k) {
        CCNode* camera = scene->getGameFieldCamera();
        unsigned objects = 0;
        CCArray* children = camera ? camera->getChildren() : nullptr;
        for (unsigned i = 0; children && i < children->count(); ++i) {
            if (dynamic_cast<QVPObject*>(children->objectAtIndex(i))) ++objects;
        }
        std::set<const void*> live;
        if (camera) collectSubtree(camera, &live);
        live.erase(nullptr);
        unsigned bodies = 0, orphans = 0;
        for (b2Body* body = scene->getWorld() ? scene->getWorld()->GetBodyList() : nullptr; body;
             body = body->GetNext()) {
            ++bodies;
            if (!live.count(physics::userObject<void>(body))) ++orphans;
        }
        std::printf("restart %u objects %u bodies %u orphans %u\n", k, objects, bodies, orphans);
    }

    const Options& m_options;
    std::vector<ScriptLine> m_script;
    std::size_t m_next = 0;
    std::map<int, CCPoint> m_drives;
    std::vector<Placement> m_placed;
    unsigned m_resetFrame = 0;
    int64_t m_constructed = QVPObject::constructedCount();
    std::vector<Tracked> m_tracked;
    const QVPScreenScene* m_trackedScene = nullptr;
    bool m_livesShown = false;
    int m_lives = 0;
    bool m_gameOver = false;
};

// Every log line reaches the probe, then its QVP_LOG destination.
void forwardLogLine(const char* text, std::size_t length) {
    if (g_probe) g_probe->onLogLine(text);
    char line[kLogMaxText + 2];
    const std::size_t n = length < kLogMaxText ? length : kLogMaxText;
    std::memcpy(line, text, n);
    setLogSink(nullptr);
    logWrite(line, n);
    setLogSink(forwardLogLine);
}

class ProbeApp : public CCApplication {
public:
    ProbeApp(const Options& options, Probe* probe) : m_options(options), m_probe(probe) {}
    ~ProbeApp() override {
        if (m_hook) CCDirector::sharedDirector()->removeFrameHook(m_hook);
    }

    bool applicationDidFinishLaunching() override {
        CCDirector* director = CCDirector::sharedDirector();
        CCEGLView* view = CCEGLView::sharedOpenGLView();
        view->setFrameSize(kWidth, kHeight);
        director->setOpenGLView(view);
        view->setDesignResolutionSize(kWidth, kHeight, kResolutionExactFit);
        director->setAnimationInterval(1.0 / 60.0);
        director->setFixedDeltaTime(true);
        director->setFrameLimit(m_probe->totalFrames());
        // The sprite frames of the atlases, as the player's loading ends: their
        // textures need the view's GL context.
        for (const auto& atlas : QVModelController::shared()->getModels<QVModelAtlas>()) {
            CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(atlas->plistPath().c_str());
        }
        ScreenManager::shared()->setScene(m_options.world);
        CCScene* scene = ScreenManager::shared()->createCurrentScene();
        if (!scene) return false;
        director->getScheduler()->scheduleUpdateForTarget(m_probe, -1000, false);
        m_hook = director->addFrameHook([this](unsigned frame) { m_probe->onFrameEnd(frame); });
        director->runWithScene(scene);
        return true;
    }

private:
    const Options& m_options;
    Probe* m_probe;
    int m_hook = 0;
};

// The run's own writable folder, removed at exit.
struct WritableFolder {
    std::string dir;
    WritableFolder() {
        if (std::getenv("ENGINE_WRITABLE_PATH")) return;
        char pattern[] = "/tmp/field-probe-XXXXXX";
        if (::mkdtemp(pattern)) {
            dir = pattern;
            ::setenv("ENGINE_WRITABLE_PATH", pattern, 1);
        }
    }
    ~WritableFolder() {
        std::error_code ignored;
        if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
    }
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, &options)) return usage();
    std::vector<ScriptLine> script;
    if (!options.script.empty()) {
        if (const int status = readScript(options.script, &script)) return status;
    }
    if (!isDirectory(options.game)) {
        std::fprintf(stderr, "field_probe: %s is not a directory\n", options.game.c_str());
        return 1;
    }
    WritableFolder writable;
    setLogSink(forwardLogLine);

    registerModelClasses();
    registerObjectClasses();
    registerComponentClasses();
    if (!loadGame(options.game)) return 1;
    if (!worldExists(options.world)) {
        std::fprintf(stderr, "field_probe: no world with the key %s\n", options.world.c_str());
        QVModelController::shared()->clear();
        return 1;
    }
    QVPSettingsController::shared()->load();
    for (const auto& health : QVModelController::shared()->getModels<QVModelComponentHealth>()) {
        health->setLivesLeft(health->lives());
    }
    QVPSettingsController::setLoaded(true);
    compat::srand(options.seed);

    int status = 0;
    {
        std::unique_ptr<fieldfixtures::FieldFixtures> fixtures;
        if (options.fixtures) fixtures = std::make_unique<fieldfixtures::FieldFixtures>();
        Probe* probe = new Probe(options, std::move(script));
        g_probe = probe;
        {
            ProbeApp app(options, probe);
            status = app.run();
        }
        // The manager holds the last scene built; the field dies with it.
        ScreenManager::shared()->reset();
        CCPoolManager::sharedPoolManager()->finalize();
        QVPInputController::destroy();
        g_probe = nullptr;
        probe->release();
    }
    std::printf("end live %lld\n", static_cast<long long>(QVPObject::liveCount()));
    std::fflush(stdout);
    setLogSink(nullptr);
    QVModelController::shared()->clear();
    return status == 0 ? 0 : 1;
}
