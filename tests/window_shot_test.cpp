/*
 * Window screenshots: the PNG files read back by a reader of the test's
 * own (chunk CRCs checked with the system's CRC-32, the zlib stream's
 * stored blocks and checksum walked), and real windows of a known colour
 * captured from the screen, whole, cut at the screen's edge, or not at all.
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child.h"
#include "error_record.h"
#include "window_shot.h"

typedef DWORD(WINAPI *Crc32Fn)(DWORD initial, const BYTE *data, INT length);

/* An image as a PNG reader sees it; ok is false at the first thing wrong. */
struct ReadPng {
    bool ok = false;
    std::string problem;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

static uint32_t BigEndian(const uint8_t *bytes)
{
    return (uint32_t)bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
}

static bool Fail(ReadPng *png, const std::string &problem)
{
    png->problem = problem;
    return false;
}

/* The chunks in order, each CRC held against the system's own CRC-32. */
static bool ReadChunks(const std::vector<uint8_t> &file, ReadPng *png, std::vector<uint8_t> *zlib)
{
    static const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Crc32Fn crc32 = (Crc32Fn)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                    "RtlComputeCrc32");
    if (!crc32 || file.size() < 8 || memcmp(file.data(), signature, 8) != 0)
        return Fail(png, "signature");
    std::string order;
    for (size_t at = 8; at < file.size();) {
        if (file.size() - at < 12 || file.size() - at - 12 < BigEndian(&file[at]))
            return Fail(png, "chunk beyond the file");
        uint32_t length = BigEndian(&file[at]);
        std::string type(file.begin() + at + 4, file.begin() + at + 8);
        const uint8_t *data = &file[at + 8];
        if (crc32(0, &file[at + 4], length + 4) != BigEndian(data + length))
            return Fail(png, "CRC of " + type);
        if (type == "IHDR" && length == 13) {
            png->width = BigEndian(data);
            png->height = BigEndian(data + 4);
            if (memcmp(data + 8, "\x08\x02\x00\x00\x00", 5) != 0)
                return Fail(png, "not 8-bit RGB");
        }
        if (type == "IDAT")
            zlib->insert(zlib->end(), data, data + length);
        order += (order.empty() ? "" : " ") + type;
        at += 12 + length;
    }
    return order == "IHDR IDAT IEND" || Fail(png, "chunks " + order);
}

/* A zlib stream of stored blocks, and its Adler-32 over what they hold. */
static bool Inflate(const std::vector<uint8_t> &zlib, ReadPng *png, std::vector<uint8_t> *raw)
{
    if (zlib.size() < 6 || (zlib[0] & 0x0F) != 8 || (zlib[0] * 256 + zlib[1]) % 31 != 0)
        return Fail(png, "zlib header");
    size_t at = 2;
    for (bool last = false; !last;) {
        if (zlib.size() - at < 5 || (zlib[at] & 0x06) != 0)
            return Fail(png, "not a stored block");
        last = zlib[at] & 1;
        uint16_t length = (uint16_t)(zlib[at + 1] | zlib[at + 2] << 8);
        uint16_t complement = (uint16_t)(zlib[at + 3] | zlib[at + 4] << 8);
        if ((uint16_t)~length != complement || zlib.size() - at - 5 < length)
            return Fail(png, "block length");
        raw->insert(raw->end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + length);
        at += 5 + length;
    }
    uint32_t low = 1, high = 0;
    for (uint8_t byte : *raw) {
        low = (low + byte) % 65521;
        high = (high + low) % 65521;
    }
    if (zlib.size() - at != 4 || BigEndian(&zlib[at]) != (high << 16 | low))
        return Fail(png, "Adler-32");
    return true;
}

static ReadPng Read(const std::vector<uint8_t> &file)
{
    ReadPng png;
    std::vector<uint8_t> zlib, raw;
    if (!ReadChunks(file, &png, &zlib) || !Inflate(zlib, &png, &raw))
        return png;
    size_t row = (size_t)png.width * 3 + 1;
    if (raw.size() != row * png.height) {
        Fail(&png, "image data of " + std::to_string(raw.size()) + " bytes");
        return png;
    }
    for (size_t y = 0; y < png.height; y++) {
        if (raw[y * row] != 0) {
            Fail(&png, "row filter");
            return png;
        }
        png.rgb.insert(png.rgb.end(), raw.begin() + y * row + 1, raw.begin() + (y + 1) * row);
    }
    png.ok = true;
    return png;
}

TEST(EncodePng, ReadsBackAsTheSamePixels)
{
    /* Sizes around deflate's 65535-byte block: one row of 21845 pixels is
     * 65536 bytes with its filter byte, so it needs a second block. */
    const struct {
        uint32_t width, height;
    } sizes[] = {{1, 1}, {3, 2}, {21845, 1}, {21844, 1}, {200, 120}};
    for (const auto &size : sizes) {
        std::vector<uint8_t> rgb((size_t)size.width * size.height * 3);
        for (size_t i = 0; i < rgb.size(); i++)
            rgb[i] = (uint8_t)(i * 7 + i / 3);
        ReadPng png = Read(EncodePng(rgb.data(), size.width, size.height));
        ASSERT_TRUE(png.ok) << size.width << "x" << size.height << ": " << png.problem;
        EXPECT_EQ(size.width, png.width);
        EXPECT_EQ(size.height, png.height);
        EXPECT_TRUE(rgb == png.rgb) << size.width << "x" << size.height;
    }
}

static const COLORREF PAINTED = RGB(200, 30, 90);

/* A borderless window of one colour, shown and painted. */
static HWND ColouredWindow(int x, int y, int width, int height)
{
    static ATOM atom;
    if (!atom) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.hbrBackground = CreateSolidBrush(PAINTED);
        windowClass.lpszClassName = "WindowShotTest";
        atom = RegisterClassA(&windowClass);
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "WindowShotTest", "", WS_POPUP | WS_VISIBLE, x, y,
                                  width, height, NULL, NULL, GetModuleHandleA(NULL), NULL);
    UpdateWindow(window);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 500;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
    return window;
}

static bool AllPainted(const std::vector<uint8_t> &rgb)
{
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        if (RGB(rgb[i], rgb[i + 1], rgb[i + 2]) != PAINTED)
            return false;
    return !rgb.empty();
}

TEST(CaptureWindow, TakesThePartOnTheScreen)
{
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const struct {
        const char *what;
        int x, y;
        uint32_t width, height; /* expected */
    } cases[] = {
        {"whole", 100, 100, 80, 50},
        {"cut at the left edge", -30, 200, 50, 50},
        {"cut at the right edge", screenWidth - 20, 300, 20, 50},
    };
    for (const auto &c : cases) {
        HWND window = ColouredWindow(c.x, c.y, 80, 50);
        ASSERT_TRUE(window != NULL);
        std::vector<uint8_t> rgb;
        uint32_t width = 0, height = 0;
        EXPECT_EQ(STATUS_OK, CaptureWindow(window, &rgb, &width, &height)) << c.what;
        EXPECT_EQ(c.width, width) << c.what;
        EXPECT_EQ(c.height, height) << c.what;
        EXPECT_EQ((size_t)c.width * c.height * 3, rgb.size()) << c.what;
        EXPECT_TRUE(AllPainted(rgb)) << c.what << ": the pixels are not the window's";
        DestroyWindow(window);
    }
}

TEST(CaptureWindow, NothingToTakeLeavesTheOutputsAlone)
{
    HWND offScreen = ColouredWindow(-500, -500, 80, 50);
    HWND destroyed = ColouredWindow(10, 10, 80, 50);
    DestroyWindow(destroyed);
    const struct {
        HWND window;
        DWORD error;
    } cases[] = {{offScreen, ERROR_INVALID_PARAMETER},
                 {destroyed, ERROR_INVALID_WINDOW_HANDLE},
                 {NULL, ERROR_INVALID_WINDOW_HANDLE}};
    for (const auto &c : cases) {
        std::vector<uint8_t> rgb(3, 7);
        uint32_t width = 77, height = 77;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(STATUS_SYSTEM_ERROR, CaptureWindow(c.window, &rgb, &width, &height));
        EXPECT_EQ(c.error, GetLastError());
        EXPECT_EQ(std::vector<uint8_t>(3, 7), rgb);
        EXPECT_EQ(77u, width);
        EXPECT_EQ(77u, height);
    }
    DestroyWindow(offScreen);
}

static std::vector<uint8_t> FileBytes(const std::string &path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, NULL));
    DWORD got = 0;
    ReadFile(file, bytes.data(), (DWORD)bytes.size(), &got, NULL);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

TEST(SaveWindowPng, WritesTheWindowOrNoFileAtAll)
{
    TempDir dir;
    HWND window = ColouredWindow(100, 100, 40, 30);
    std::string path = dir / "shot.png";
    ASSERT_TRUE(WriteTextFile(path, "an older file, longer than nothing"));
    ASSERT_EQ(STATUS_OK, SaveWindowPng(window, path.c_str()));
    ReadPng png = Read(FileBytes(path));
    ASSERT_TRUE(png.ok) << png.problem;
    EXPECT_EQ(40u, png.width);
    EXPECT_EQ(30u, png.height);
    EXPECT_TRUE(AllPainted(png.rgb));

    std::string missing = dir / "no such folder\\shot.png";
    SetLastError(0xdeadbeef);
    EXPECT_EQ(STATUS_SYSTEM_ERROR, SaveWindowPng(window, missing.c_str()));
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());
    DestroyWindow(window);

    std::string unused = dir / "gone.png";
    EXPECT_EQ(STATUS_SYSTEM_ERROR, SaveWindowPng(window, unused.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(unused.c_str())) << "no file is made";
}
