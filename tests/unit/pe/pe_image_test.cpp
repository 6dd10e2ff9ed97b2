#include "pe/pe_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/pe/edit_invariant.h"
#include "tests/unit/pe/test_image.h"

namespace sanivo {
namespace {

using test::BuildCraftedImage;
using test::BuildTestImage;
using test::ChangesOutsideEdit;
using test::kAffinityField32;
using test::kAffinityField64;
using test::kTestLoadConfig;
using test::kTestNtHeaders;
using test::kTestOptionalHeader;
using test::PutU32;
using test::TestImageOptions;
using ::testing::IsEmpty;

// The positions at which two images differ.
std::vector<std::size_t> ChangedBytes(const std::string& before, const std::string& after) {
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] != after[i]) changed.push_back(i);
  }
  return changed;
}

std::string PeErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EPeImageError& error) {
    return error.Message();
  }
  return "(no error)";
}

std::string ErrorReadingMask(const std::string& bytes) {
  return PeErrorOf([&] { TPeImage(bytes).AffinityMask(); });
}

TEST(PeImageTest, Pe32MaskIsTheDwordAtOffset48OfTheDirectory) {
  TPeImage image(BuildTestImage({.affinityMask = 0xA5}));
  EXPECT_EQ(image.Format(), TPeFormat::pfPe32);
  EXPECT_EQ(image.AffinityMaskBits(), 32);
  EXPECT_EQ(image.AffinityMask(), 0xA5u);

  const std::string before = image.Bytes();
  image.SetAffinityMask(0x80000001u);
  EXPECT_EQ(image.AffinityMask(), 0x80000001u);
  const std::size_t field = kTestLoadConfig + kAffinityField32;
  EXPECT_THAT(ChangedBytes(before, image.Bytes()),
              ::testing::ElementsAre(field, field + 3));  // 0xA5 -> 0x01, 0x00 -> 0x80
}

TEST(PeImageTest, Pe32PlusMaskIsTheQwordAtOffset64OfTheDirectory) {
  TPeImage image(BuildTestImage({.format = TPeFormat::pfPe32Plus, .affinityMask = 3}));
  EXPECT_EQ(image.Format(), TPeFormat::pfPe32Plus);
  EXPECT_EQ(image.AffinityMaskBits(), 64);
  EXPECT_EQ(image.AffinityMask(), 3u);

  const std::string before = image.Bytes();
  image.SetAffinityMask(0xF000000000000002ull);
  EXPECT_EQ(image.AffinityMask(), 0xF000000000000002ull);
  const std::size_t field = kTestLoadConfig + kAffinityField64;
  EXPECT_THAT(ChangedBytes(before, image.Bytes()), ::testing::ElementsAre(field, field + 7));
}

TEST(PeImageTest, MaskWiderThanA32BitFieldIsRefusedAndChangesNothing) {
  TPeImage image(BuildTestImage({.affinityMask = 7}));
  const std::string before = image.Bytes();
  EXPECT_EQ(PeErrorOf([&] { image.SetAffinityMask(0x100000000ull); }),
            "the affinity mask 0x100000000 does not fit the image's 32-bit field");
  EXPECT_EQ(image.Bytes(), before);
  image.SetAffinityMask(0xFFFFFFFFu);
  EXPECT_EQ(image.AffinityMask(), 0xFFFFFFFFu);
}

TEST(PeImageTest, ImageWithoutLoadConfigurationDirectory) {
  const std::string message = "the image has no load-configuration directory";
  EXPECT_EQ(ErrorReadingMask(BuildTestImage({.loadConfigEntry = false})), message);
  // Only ten data directories: entry 10 is not there, whatever its bytes hold.
  EXPECT_EQ(ErrorReadingMask(BuildTestImage({.dataDirectoryCount = 10})), message);
  EXPECT_EQ(
      ErrorReadingMask(BuildTestImage({.format = TPeFormat::pfPe32Plus, .loadConfigEntry = false})),
      message);
}

TEST(PeImageTest, DirectoryMustHoldTheWholeFieldByItsOwnSizeAndByTheDataDirectory) {
  const std::string tooSmall =
      "the load-configuration directory is too small to hold the affinity mask";
  // PE32: the field is bytes 48..51.
  EXPECT_EQ(ErrorReadingMask(BuildTestImage({.loadConfigSize = 48})), tooSmall);
  EXPECT_EQ(ErrorReadingMask(BuildTestImage({.loadConfigSize = 51})), tooSmall);
  EXPECT_EQ(ErrorReadingMask(BuildTestImage({.directorySize = 51})), tooSmall);
  EXPECT_EQ(TPeImage(BuildTestImage({.loadConfigSize = 52, .directorySize = 52, .affinityMask = 9}))
                .AffinityMask(),
            9u);
  // The data directory of Windows XP era images says 64 while the structure says 72.
  EXPECT_EQ(TPeImage(BuildTestImage({.directorySize = 64, .affinityMask = 1})).AffinityMask(), 1u);

  // PE32+: the field is bytes 64..71.
  const auto pe32Plus = [](std::uint32_t loadConfigSize, std::uint32_t directorySize) {
    return BuildTestImage({.format = TPeFormat::pfPe32Plus,
                           .loadConfigSize = loadConfigSize,
                           .directorySize = directorySize,
                           .affinityMask = 2});
  };
  EXPECT_EQ(ErrorReadingMask(pe32Plus(71, 0)), tooSmall);
  EXPECT_EQ(ErrorReadingMask(pe32Plus(0, 68)), tooSmall);
  EXPECT_EQ(TPeImage(pe32Plus(72, 72)).AffinityMask(), 2u);

  TPeImage image(BuildTestImage({.loadConfigSize = 40}));
  EXPECT_EQ(PeErrorOf([&] { image.SetAffinityMask(1); }), tooSmall);
}

TEST(PeImageTest, DirectoryOutsideTheSectionDataIsRefused) {
  const std::string outside = "the load-configuration directory lies outside the image's sections";
  const std::size_t entry = kTestOptionalHeader + 96 + 10 * 8;
  std::string bytes = BuildTestImage();
  PutU32(bytes, entry, 0x5000);  // no section there
  EXPECT_EQ(ErrorReadingMask(bytes), outside);
  // The section's VirtualSize is 0x180: a directory at 0x1150 would end past it.
  PutU32(bytes, entry, 0x1150);
  EXPECT_EQ(ErrorReadingMask(bytes), outside);
  // An RVA near 4 GB must not wrap around into the section.
  PutU32(bytes, entry, 0xFFFFFFF0u);
  EXPECT_EQ(ErrorReadingMask(bytes), outside);
}

// Sections that map the directory's bytes onto the headers, past the end of the file or past
// 4 GB; each layout plants a plausible directory size where it points.
TEST(PeImageTest, CraftedSectionLayoutsAreRefusedAndLeaveTheImageAlone) {
  const std::string inHeaders = "the load-configuration directory lies in the file's headers";
  const std::string outside = "the load-configuration directory lies outside the image's sections";
  const struct {
    const char* layout;
    test::CraftedLayout crafted;
    std::string message;
  } cases[] = {
      {"mask over SizeOfOptionalHeader", {.rawPointer = 0x24}, inHeaders},
      {"mask over the section's own raw-data pointer", {.rawPointer = 0x11C}, inHeaders},
      {"directory in the padding before SizeOfHeaders", {.rawPointer = 0x180}, inHeaders},
      // The section table (0x178 to 0x1A0) runs past a SizeOfHeaders of 0x100 and is still
      // header: a directory at 0x190 would overwrite it.
      {"directory in a section table past SizeOfHeaders",
       {.rawPointer = 0x150, .sizeOfHeaders = 0x100},
       inHeaders},
      {"directory that runs past 4 GB",
       {.virtualAddress = 0xFFFFFF00u, .directoryRva = 0xFFFFFFF0u},
       outside},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    const std::string bytes = BuildCraftedImage(c.crafted);
    EXPECT_EQ(ErrorReadingMask(bytes), c.message);
    TPeImage image(bytes);
    EXPECT_EQ(PeErrorOf([&] { image.SetAffinityMask(1); }), c.message);
    EXPECT_THAT(ChangedBytes(bytes, image.Bytes()), IsEmpty());
  }
  // The same builder with the section where it belongs gives a usable image.
  EXPECT_EQ(TPeImage(BuildCraftedImage({})).AffinityMask(), 0u);
  // A second section of uninitialised data has no bytes in the file, wherever it points.
  std::string withBss = BuildCraftedImage({});
  withBss[test::kTestNtHeaders + 6] = 2;  // NumberOfSections
  const std::size_t bss = test::kTestOptionalHeader + 224 + 40;
  withBss.replace(bss, 4, ".bss");
  test::PutU32(withBss, bss + 8, 0x100);  // VirtualSize
  test::PutU32(withBss, bss + 12, 0x1200);
  test::PutU32(withBss, bss + 16, 0);  // SizeOfRawData
  test::PutU32(withBss, bss + 20, 0xFFFFFFF0u);
  test::PutU32(withBss, bss + 36, 0xC0000080u);
  EXPECT_EQ(TPeImage(withBss).AffinityMask(), 0u);
  // Raw data past the end of the file is no image at all.
  for (const std::uint32_t rawPointer : {0x3E0u, 0xFFFFFFF0u}) {
    EXPECT_EQ(PeErrorOf([&] { TPeImage image(BuildCraftedImage({.rawPointer = rawPointer})); }),
              "not a PE image: a section's data runs past the end of the file");
  }
}

// Setting the mask and the checksum changes those two fields and no other byte.
TEST(PeImageTest, AnEditChangesOnlyTheMaskAndTheChecksum) {
  SKIP_WITHOUT_MINGW_FIXTURES();
  const std::filesystem::path fixtures(SANIVO_NTVDM_FIXTURE_DIR);
  const std::string images[] = {
      BuildTestImage({.affinityMask = 0x5A5A5A5A}),
      BuildTestImage({.format = TPeFormat::pfPe32Plus, .affinityMask = 0x5A5A5A5A5A5A5A5Aull}),
      test::ReadHostFile(fixtures / "ntvdm_fixture.exe"),
      test::ReadHostFile(fixtures / "ntvdm_fixture_mask5.exe")};
  for (const std::string& before : images) {
    for (const std::uint64_t mask : {0x1ull, 0xA5A5A5A5ull}) {
      TPeImage image(before);
      image.SetAffinityMask(mask);
      image.UpdateChecksum();
      EXPECT_THAT(ChangesOutsideEdit(before, image.Bytes()), IsEmpty());
      EXPECT_EQ(image.AffinityMask(), mask);
      EXPECT_EQ(image.Checksum(), image.ComputeChecksum());
    }
  }
  // The check itself sees a byte changed anywhere else, and a change of length.
  const std::string before = images[0];
  std::string after = before;
  after[kTestNtHeaders + 4 + 16] ^= 1;
  EXPECT_THAT(ChangesOutsideEdit(before, after), ::testing::ElementsAre(kTestNtHeaders + 4 + 16));
  EXPECT_THAT(ChangesOutsideEdit(before, before + "x"), ::testing::ElementsAre(before.size()));
}

TEST(PeImageTest, FilesThatAreNotPeImages) {
  const auto constructionError = [](const std::string& bytes) {
    return PeErrorOf([&] { TPeImage image(bytes); });
  };
  EXPECT_EQ(constructionError(""), "not a PE image: the file is too short");
  EXPECT_EQ(constructionError("M"), "not a PE image: the file is too short");
  EXPECT_EQ(constructionError("MZ"), "not a PE image: the file ends inside its headers");
  EXPECT_EQ(constructionError(std::string(0x400, 'x')), "not a PE image: no MZ signature");

  std::string bytes = BuildTestImage();
  PutU32(bytes, 0x3C, 0xFFFFFFFEu);  // e_lfanew far past the end
  EXPECT_EQ(constructionError(bytes), "not a PE image: no PE header");

  bytes = BuildTestImage();
  bytes[kTestNtHeaders + 1] = 'X';
  EXPECT_EQ(constructionError(bytes), "not a PE image: no PE signature");

  bytes = BuildTestImage();
  bytes[kTestOptionalHeader + 1] = 0x03;  // magic 0x30B
  EXPECT_EQ(constructionError(bytes), "not a PE image: unknown optional header magic 0x30B");

  bytes = BuildTestImage();
  bytes[kTestNtHeaders + 4 + 2] = 0x40;  // 64 sections would run past the end of the file
  EXPECT_EQ(constructionError(bytes),
            "not a PE image: the section table lies past the end of the file");

  bytes = BuildTestImage();
  bytes[kTestNtHeaders + 4 + 16] = 0x20;  // SizeOfOptionalHeader 32
  bytes[kTestNtHeaders + 4 + 17] = 0;
  EXPECT_EQ(constructionError(bytes), "not a PE image: the optional header is too small");
}

// A file cut short anywhere is refused, even where the field itself is still in it.
TEST(PeImageTest, EveryTruncationOfAnImageIsAnError) {
  const std::string whole = BuildTestImage({.affinityMask = 0x11});
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_NE(ErrorReadingMask(whole.substr(0, length)), "(no error)") << "length " << length;
  }
  EXPECT_EQ(TPeImage(whole).AffinityMask(), 0x11u);
}

// What a live file damaged in the field looks like: cut short, or with its tail zeroed.
TEST(PeImageTest, DamagedToolchainImagesAreRefusedOrFailTheirChecksum) {
  SKIP_WITHOUT_MINGW_FIXTURES();
  const std::string whole =
      test::ReadHostFile(std::filesystem::path(SANIVO_NTVDM_FIXTURE_DIR) / "ntvdm_fixture.exe");
  const auto sound = [](const std::string& bytes) {
    try {
      return TPeImage(bytes).ChecksumHolds();
    } catch (const EPeImageError&) {
      return false;
    }
  };
  ASSERT_NE(TPeImage(whole).Checksum(), 0u);
  EXPECT_TRUE(sound(whole));
  // The toolchain leaves a few bytes past the last section: a single lost byte shows only in
  // the checksum, 2000 lost bytes cut into the sections.
  EXPECT_FALSE(sound(whole.substr(0, whole.size() - 1)));
  EXPECT_NE(ErrorReadingMask(whole.substr(0, whole.size() - 2000)), "(no error)");
  std::string zeroedTail = whole;
  std::fill(zeroedTail.end() - 2000, zeroedTail.end(), '\0');
  EXPECT_FALSE(sound(zeroedTail));
  EXPECT_TRUE(TPeImage(BuildTestImage()).ChecksumHolds());  // 0: no checksum to hold
}

TEST(PeImageTest, AnAffinityEditChangesTheMaskAndTheChecksumOnly) {
  const TPeImage original(BuildTestImage());
  const auto edited = [&](const std::function<void(std::string&)>& change) {
    std::string bytes = original.Bytes();
    change(bytes);
    return IsAffinityEditOf(original, TPeImage(bytes));
  };
  const auto setMask = [](std::string& bytes) {
    PutU32(bytes, kTestLoadConfig + kAffinityField32, 1);
  };
  const auto updateChecksum = [](std::string& bytes) {
    TPeImage image(bytes);
    image.UpdateChecksum();
    bytes = image.Bytes();
  };
  EXPECT_TRUE(edited([](std::string&) {}));
  EXPECT_TRUE(edited(setMask));
  EXPECT_TRUE(edited([&](std::string& bytes) {
    setMask(bytes);
    updateChecksum(bytes);
  }));
  // A checksum that neither stays nor matches, a byte changed elsewhere, a longer file.
  EXPECT_FALSE(edited([](std::string& bytes) { PutU32(bytes, kTestOptionalHeader + 64, 1234); }));
  EXPECT_FALSE(edited([&](std::string& bytes) {
    setMask(bytes);
    bytes[kTestLoadConfig + 0x80] ^= 1;
    updateChecksum(bytes);
  }));
  EXPECT_FALSE(edited([&](std::string& bytes) {
    setMask(bytes);
    bytes[kTestLoadConfig + kAffinityField32 + 4] = 1;  // just past the field
  }));
  EXPECT_FALSE(edited([](std::string& bytes) { bytes += std::string(0x200, '\0'); }));
}

// Random damage to the headers and the directory may only ever give EPeImageError (and, run
// under the sanitizers, no read or write outside the buffer).
TEST(PeImageTest, DamagedHeadersGiveOnlyPeErrors) {
  std::mt19937 random(20261208);
  int accepted = 0;
  int refused = 0;
  for (const TPeFormat format : {TPeFormat::pfPe32, TPeFormat::pfPe32Plus}) {
    const std::string original = BuildTestImage({.format = format});
    for (int round = 0; round < 2000; ++round) {
      std::string bytes = original;
      const int damage = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < damage; ++i) {
        // Mostly the headers, sometimes the directory itself.
        const std::size_t at = random() % 2 ? random() % 0x200 : kTestLoadConfig + random() % 80;
        bytes[at] = static_cast<char>(random());
      }
      if (random() % 4 == 0) bytes.resize(random() % bytes.size());
      try {
        TPeImage image(bytes);
        image.SetAffinityMask(image.AffinityMask() ^ 1);
        image.UpdateChecksum();
        EXPECT_THAT(ChangesOutsideEdit(bytes, image.Bytes()), IsEmpty()) << "round " << round;
        ++accepted;
      } catch (const EPeImageError&) {
        ++refused;
      }
    }
  }
  // Both outcomes occur, so the damage reached the checks and left some images usable.
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace sanivo
