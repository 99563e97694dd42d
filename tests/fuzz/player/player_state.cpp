// Fuzzes the readers of the stored player state. The first byte chooses the
// score parser (odd: the legacy form, as for a store without "ZK_Version").
// The rest is split at NUL bytes into "QVP_Scores", "QVP_LockStates",
// "PQV_Checkpoints", then numbered entries taken in turn as refill,
// inventory and character entries.
//
// Each family is parsed, serialised, parsed with the current reader and
// serialised again; the two texts must be equal, and every unread record
// of the first parse must be among the pieces of the first text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/QVLog.h"
#include "player/app/LockStateStore.h"
#include "player/app/PersistedText.h"
#include "player/app/ScoreTable.h"

namespace {

struct Framed {
    bool legacyScores = false;
    std::string scores;
    std::string locks;
    std::string checkpoints;
    // Refill, inventory and character entries, in turn.
    std::vector<std::string> numbered[3];
};

Framed frame(const std::uint8_t* data, std::size_t size) {
    Framed out;
    if (size == 0) return out;
    out.legacyScores = (data[0] & 1) != 0;
    std::vector<std::string> parts(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[i]);
        }
    }
    out.scores = parts[0];
    if (parts.size() > 1) out.locks = parts[1];
    if (parts.size() > 2) out.checkpoints = parts[2];
    for (std::size_t i = 3; i < parts.size(); ++i) out.numbered[(i - 3) % 3].push_back(parts[i]);
    return out;
}

void requireKept(const UnreadRecords& unread, const std::string& serialized) {
    std::vector<std::string> pieces;
    persisted::forEachPiece(serialized, [&](std::string_view piece) { pieces.emplace_back(piece); });
    std::size_t at = 0;
    for (const std::string& record : unread) {
        while (at < pieces.size() && pieces[at] != record) ++at;
        if (at == pieces.size()) std::abort();
        ++at;
    }
}

template <class Parse, class Serialize, class Unread>
void roundTrip(const std::string& stored, Parse parseFirst, Parse parseAgain, Serialize serialize, Unread unread) {
    parseFirst(stored);
    const std::string first = serialize();
    requireKept(unread(), first);
    parseAgain(first);
    if (serialize() != first) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    setLogSink([](const char*, std::size_t) {});
    const Framed input = frame(data, size);
    using ParseText = void (*)(const std::string&);

    // Each parse starts from an empty table, so no running session merges in.
    const ParseText firstScores = input.legacyScores ? [](const std::string& s) { parseScoresLegacy(s, true); }
                                                     : [](const std::string& s) { parseScores(s, true); };
    roundTrip<ParseText>(
        input.scores, firstScores, [](const std::string& s) { parseScores(s, true); }, [] { return serializeScores(); },
        [] { return unreadScoreRecords(); });

    roundTrip<ParseText>(
        input.locks, LockStateStore::parseLockStates, LockStateStore::parseLockStates,
        [] { return LockStateStore::serializeLockStates(); }, [] { return LockStateStore::unreadLockStates(); });

    roundTrip<ParseText>(
        input.checkpoints, parseCheckpoints, parseCheckpoints, [] { return serializeCheckpoints(); },
        [] { return unreadCheckpointRecords(); });

    // The numbered families (input.numbered) join here once their entry
    // readers are callable without a store.
    return 0;
}
