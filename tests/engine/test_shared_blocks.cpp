#include "engine/modFHand.h"
#include "engine/support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace enginetest;

namespace {

constexpr std::int32_t kPiece = 4 * 1048576;

} // namespace

#ifdef _WIN32
#include "engine/support/SyscallSeam.h"

// On a volume that shares blocks (the seam's double; Wine's own refuses, cluster 0), every range cloned lies on
// the cluster edges and in both files, and whatever is cloned or refused, the bytes come back whole.
TEST(SharedBlocks, SplitAndJoinCloneWholeClustersWhereTheVolumeSharesBlocks) {
    constexpr std::int64_t kSize = 6 * kPiece + 12345;
    struct Row {
        long long cluster;
        std::int32_t pieceSize;
        int refuseFrom;
        std::int64_t cloned; // by the split and again by the join; -1: not checked
    } rows[] = {
        {4096, kPiece, 0, kSize - 57},      // whole MB: all but what follows the last cluster edge
        {65536, 1048576, 0, kSize - 12345}, //
        {4096, 1447035, 0, 353 * 4096},     // 1.38 MB: only the first piece lines up
        {65536, 1447035, 0, 22 * 65536},    //
        {65536, kPiece, 3, -1},             // refused mid-run
        {0, kPiece, 0, 0},                  // Wine's volume
    };
    for (const Row& row : rows) {
        TempFolder dir;
        const std::string bytes = Pattern(kSize, row.pieceSize);
        WriteFile(dir / "disc.iso", bytes);
        const std::string what = std::to_string(row.cluster) + " " + std::to_string(row.pieceSize);
        const auto cloned = [&] {
            std::int64_t total = 0;
            for (const seam::Clone& c : seam::Clones()) {
                EXPECT_TRUE(c.source % row.cluster == 0 && c.target % row.cluster == 0 && c.count % row.cluster == 0 &&
                            c.count > 0 && c.source + c.count <= c.sourceSize && c.target + c.count <= c.targetSize)
                    << what << ": " << c.source << " " << c.target << " " << c.count;
                total += c.count;
            }
            seam::CloningVolume(row.cluster, row.refuseFrom);
            return row.cloned < 0 ? -1 : total;
        };
        std::int16_t count = 0;
        seam::CloningVolume(row.cluster, row.refuseFrom);
        ASSERT_EQ(modFHand::SplitFile(dir / "disc.iso", row.pieceSize, count, {}), modFHand::kSuccess) << what;
        EXPECT_EQ(cloned(), row.cloned) << what << " split";
        fs::rename(dir / "disc.iso", dir / "kept");
        ASSERT_EQ(modFHand::JoinFile(dir / "disc.iso.001", count, {}), modFHand::kSuccess) << what;
        EXPECT_EQ(cloned(), row.cloned) << what << " join";
        EXPECT_EQ(ReadFile(dir / "disc.iso"), bytes) << what << " " << row.refuseFrom;
    }
    seam::CloningVolume(0, 0);
}

#else
#include <unistd.h>

namespace {

// A fresh XFS image, mounted through a loop device for as long as the object lives. Needs root and xfsprogs;
// `refusal` says in plain words why there is no mount.
class XfsMount {
public:
    explicit XfsMount(const TempFolder& dir) : image_(dir / "xfs.img"), mountPoint_(dir / "mnt") {
        fs::create_directory(mountPoint_);
        if (Shell("command -v mkfs.xfs >/dev/null") != 0) {
            refusal = "mkfs.xfs is missing (Debian package xfsprogs)";
        } else if (Shell("truncate -s 512M " + Quoted(image_) + " && mkfs.xfs -q -m reflink=1 " + Quoted(image_)) !=
                   0) {
            refusal = "mkfs.xfs could not make an image";
        } else if (Shell("mount -o loop " + Quoted(image_) + " " + Quoted(mountPoint_) + " 2>/dev/null") != 0) {
            refusal = "this machine refuses to mount a loop image (needs root and a loop device)";
        }
    }
    ~XfsMount() {
        if (refusal.empty())
            Shell("umount " + Quoted(mountPoint_));
    }
    XfsMount(const XfsMount&) = delete;
    XfsMount& operator=(const XfsMount&) = delete;

    const fs::path& path() const { return mountPoint_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(mountPoint_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Bytes in use once everything written so far has reached the image.
    std::int64_t Used() const {
        ::sync();
        const fs::space_info space = fs::space(mountPoint_);
        return static_cast<std::int64_t>(space.capacity - space.free);
    }

    std::string refusal;

private:
    fs::path image_;
    fs::path mountPoint_;
};

} // namespace

TEST(SharedBlocks, SplitAndJoinOnXfsShareTheSourcesBlocks) {
    TempFolder dir;
    XfsMount xfs(dir);
    if (!xfs.refusal.empty())
        GTEST_SKIP() << xfs.refusal;
    // Aligned pieces share every block; a piece size off the block edge still round-trips, copied in the kernel.
    for (const std::int32_t pieceSize : {kPiece, kPiece + 1}) {
        const std::string bytes = Pattern(6 * kPiece + 12345, pieceSize);
        const fs::path source = xfs.path() / "disc.iso";
        WriteFile(source, bytes);
        const std::int64_t before = xfs.Used();
        std::int16_t written = 0, joined = 0;
        ASSERT_EQ(modFHand::SplitFile(source, pieceSize, written, {}), modFHand::kSuccess);
        const std::int64_t afterSplit = xfs.Used();
        fs::rename(source, xfs.path() / "kept");
        ASSERT_EQ(modFHand::JoinFile(xfs.path() / "disc.iso.001", joined, {}), modFHand::kSuccess);
        const std::int64_t afterJoin = xfs.Used();
        EXPECT_EQ(joined, written);
        EXPECT_EQ(ReadFile(source), bytes) << pieceSize;
        if (pieceSize == kPiece) {
            EXPECT_LT(afterSplit - before, kPiece / 4) << "the split copied the blocks instead of sharing them";
            EXPECT_LT(afterJoin - afterSplit, kPiece / 4) << "the join copied the blocks instead of sharing them";
        }
        Shell("rm -f " + Quoted(xfs.path()) + "/*");
    }
}

TEST(SharedBlocks, StopMidRunOnXfsLeavesOnlyWhatWasThere) {
    TempFolder dir;
    XfsMount xfs(dir);
    if (!xfs.refusal.empty())
        GTEST_SKIP() << xfs.refusal;
    const fs::path source = xfs.path() / "disc.iso";
    WriteFile(source, Pattern(6 * kPiece));
    int calls = 0;
    modFHand::Hooks stopping;
    stopping.progress = [&](std::int16_t) { ++calls; };
    stopping.stopRequested = [&] { return calls > 1000; };
    std::int16_t count = 0;
    EXPECT_EQ(modFHand::SplitFile(source, kPiece, count, stopping), modFHand::kFailure);
    EXPECT_EQ(xfs.Names(), std::vector<std::string>{"disc.iso"});

    ASSERT_EQ(modFHand::SplitFile(source, kPiece, count, {}), modFHand::kSuccess);
    fs::remove(source);
    const auto pieces = xfs.Names();
    calls = 0;
    EXPECT_EQ(modFHand::JoinFile(xfs.path() / "disc.iso.001", count, stopping), modFHand::kFailure);
    EXPECT_EQ(xfs.Names(), pieces);
}
#endif
