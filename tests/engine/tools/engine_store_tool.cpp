// Command-line access to the player's progress store, in the directory given
// by ENGINE_WRITABLE_PATH (or the default writable path).
//
//   engine_store_tool set KEY VALUE   store a string and flush
//   engine_store_tool get KEY         print the value and a newline
//   engine_store_tool flush-loop [N]  write consecutive states (see below)
//
// flush-loop reads the state k it finds (0 for an empty store) and then writes
// k + 1, k + 2, ... (N states, or until killed), printing each k once its flush
// returned. State k sets 40 keys to k, "ScreenPlayed-Level 1 <&>" to k and
// one key to 30,000 copies of the digit k mod 10, so one flush spans many
// database pages.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/CCUserDefault.h"

using cocos2d::CCUserDefault;

namespace {

constexpr const char* kCounterKey = "ScreenPlayed-Level 1 <&>";
constexpr int kPlainKeys = 40;
constexpr size_t kBigBytes = 30000;

std::string plainKey(int i) { return "state-key-" + std::to_string(i); }

int usage() {
    std::fprintf(stderr,
                 "usage: engine_store_tool set KEY VALUE\n"
                 "       engine_store_tool get KEY\n"
                 "       engine_store_tool flush-loop [STATES]\n");
    return 2;
}

void writeState(CCUserDefault* store, long long k) {
    const std::string text = std::to_string(k);
    for (int i = 0; i < kPlainKeys; ++i) store->setStringForKey(plainKey(i).c_str(), text);
    store->setStringForKey(kCounterKey, text);
    store->setStringForKey("state-big", std::string(kBigBytes, static_cast<char>('0' + k % 10)));
}

int flushLoop(long long states) {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    if (store->isReadOnly()) {
        std::fprintf(stderr, "engine_store_tool: the store is read-only\n");
        return 1;
    }
    const std::string found = store->getStringForKey(kCounterKey, "0");
    long long k = std::strtoll(found.c_str(), nullptr, 10);
    for (long long done = 0; states < 0 || done < states; ++done) {
        ++k;
        writeState(store, k);
        store->flush();
        if (store->isDirty()) {
            std::fprintf(stderr, "engine_store_tool: flush of state %lld failed\n", k);
            return 1;
        }
        std::printf("%lld\n", k);
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "set" && argc == 4) {
        CCUserDefault* store = CCUserDefault::sharedUserDefault();
        store->setStringForKey(argv[2], argv[3]);
        store->flush();
        if (!store->isDirty() && !store->isReadOnly()) return 0;
        std::fprintf(stderr, "engine_store_tool: %s was not written\n", store->filePath().c_str());
        return 1;
    }
    if (command == "get" && argc == 3) {
        static const std::string kMissing("\x01missing");
        const std::string value = CCUserDefault::sharedUserDefault()->getStringForKey(argv[2], kMissing);
        if (value == kMissing) {
            std::fprintf(stderr, "engine_store_tool: no key \"%s\"\n", argv[2]);
            return 1;
        }
        std::fwrite(value.data(), 1, value.size(), stdout);
        std::fputc('\n', stdout);
        return 0;
    }
    char* end = nullptr;
    const long long states = argc == 3 ? std::strtoll(argv[2], &end, 10) : -1;
    if (command == "flush-loop" && (argc == 2 || (argc == 3 && *argv[2] && !*end && states >= 0)))
        return flushLoop(states);
    return usage();
}
