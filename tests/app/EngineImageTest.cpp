#include "EngineImage.h"
#include "TestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::vector<uint8_t> sampleLibrary() {
    std::vector<uint8_t> bytes(70'000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>((i * 7) ^ (i >> 5));
    return bytes;
}

TEST(EngineImage, HeaderIsMarkerThenSizeLittleEndian) {
    auto image = corvina::packEngineImage({1, 2, 3, 4, 5});
    ASSERT_GE(image.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 8),
              (std::vector<uint8_t>{0x0D, 0x0F, 0x3E, 0x03, 5, 0, 0, 0}));
    EXPECT_EQ(image[8], 0x78); // a zlib stream follows
}

TEST(EngineImage, RoundTripsAndRejectsBrokenImages) {
    const auto library = sampleLibrary();
    auto image = corvina::packEngineImage(library);
    auto back = corvina::unpackEngineImage(image.data(), image.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, library);

    struct Case {
        const char* what;
        std::vector<uint8_t> image;
    };
    std::vector<Case> broken;
    broken.push_back({"empty", {}});
    broken.push_back({"header only", std::vector<uint8_t>(image.begin(), image.begin() + 8)});
    auto wrongMarker = image;
    wrongMarker[0] ^= 1;
    broken.push_back({"wrong marker", wrongMarker});
    auto truncated = image;
    truncated.resize(image.size() / 2);
    broken.push_back({"truncated stream", truncated});
    auto bigger = image;
    bigger[4] += 1; // declared size one larger than the stream
    broken.push_back({"size too large", bigger});
    auto smaller = image;
    smaller[4] -= 1;
    broken.push_back({"size too small", smaller});
    auto huge = image;
    huge[7] = 0x7F; // 2 GB
    broken.push_back({"absurd size", huge});
    for (const Case& c : broken)
        EXPECT_FALSE(corvina::unpackEngineImage(c.image.data(), c.image.size())) << c.what;
}

TEST(EngineInstall, WritesOnlyWhenNothingIsThere) {
    TempFolder folder;
    const std::wstring path = folder.file(L"APlayerCaller.dll");
    const auto library = sampleLibrary();
    const auto image = corvina::packEngineImage(library);

    EXPECT_EQ(corvina::installEngineLibrary(path, image.data(), image.size()),
              corvina::EngineInstall::Written);
    EXPECT_EQ(readFile(path), library);
    EXPECT_FALSE(fileExists(path + L".part"));

    // Whatever is there now stays, byte for byte: also an empty or foreign file.
    for (const std::vector<uint8_t>& existing :
         {std::vector<uint8_t>{}, std::vector<uint8_t>{'M', 'Z', 0, 1}}) {
        ASSERT_TRUE(writeFile(path, existing));
        EXPECT_EQ(corvina::installEngineLibrary(path, image.data(), image.size()),
                  corvina::EngineInstall::AlreadyPresent);
        EXPECT_EQ(readFile(path), existing);
    }
}

TEST(EngineInstall, BrokenImageWritesNothing) {
    TempFolder folder;
    const std::wstring path = folder.file(L"APlayerCaller.dll");
    auto image = corvina::packEngineImage(sampleLibrary());
    image.resize(image.size() - 10);
    EXPECT_EQ(corvina::installEngineLibrary(path, image.data(), image.size()),
              corvina::EngineInstall::Failed);
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(fileExists(path + L".part"));
}

TEST(EngineImage, TheProgramCarriesThisBuildsEngine) {
    const std::wstring exe = binDirectory() + L"\\Corvina.exe";
    HMODULE module =
        LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC info = FindResourceW(module, L"ENGINE_IMAGE", MAKEINTRESOURCEW(10));
    ASSERT_NE(info, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
    auto library = corvina::unpackEngineImage(bytes, SizeofResource(module, info));
    FreeLibrary(module);
    ASSERT_TRUE(library);
    EXPECT_EQ(*library, readFile(binDirectory() + L"\\APlayerCaller.dll"));
}

} // namespace
