// The sanitizer build's leak check at exit survives a dynamic TLS block that
// malloc placed 16 bytes into a page (see cmake/sanitizer_options.cpp), and
// still counts what that block points to as reachable. Each child pushes the
// heap on by one more block of the TLS block's size before it makes the
// block, so one of them lands there.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kElsewhere = 3;  // the block landed elsewhere; no leak check ran
constexpr int kNoModule = 4;
constexpr std::size_t kPage = 4096;
constexpr std::uintptr_t kBadOffset = 16;
// In the allocator's size class of the module's one-pointer block.
constexpr std::size_t kFillerSize = 16;

// Static, so the leak check sees the fillers as reachable.
std::array<void*, 512> gFillers;

[[noreturn]] void makeBlockAfter(std::size_t fillers) {
    for (std::size_t i = 0; i < fillers; ++i) {
        gFillers[i] = std::malloc(kFillerSize);
    }
    void* module = dlopen(QV_TLS_MODULE, RTLD_NOW);
    auto* block = module ? reinterpret_cast<char* (*)()>(dlsym(module, "qv_tls_block")) : nullptr;
    if (!block) {
        _exit(kNoModule);
    }
    if (reinterpret_cast<std::uintptr_t>(block()) % kPage != kBadOffset) {
        _exit(kElsewhere);
    }
    std::exit(0);  // through the leak check, with the block alive
}

}  // namespace

TEST(SanitizerOptions, LeakCheckSurvivesATlsBlockSixteenBytesIntoAPage) {
    bool reached = false;
    for (std::size_t fillers = 0; fillers < gFillers.size() && !reached; ++fillers) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            makeBlockAfter(fillers);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "child with " << fillers << " fillers died of a signal";
        ASSERT_NE(WEXITSTATUS(status), kNoModule) << QV_TLS_MODULE << " cannot be loaded";
        if (WEXITSTATUS(status) == kElsewhere) {
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the leak check failed with " << fillers << " fillers";
        reached = true;
    }
    EXPECT_TRUE(reached) << "no TLS block landed " << kBadOffset << " bytes into a page";
}
