/*
 * Window screenshots as PNG files.  The pixels come from the screen's own
 * device context, so menus and dialogs of other threads are taken as the
 * user sees them, frame and all.  The encoder writes the one colour type
 * it needs (8-bit RGB) and stores the image data uncompressed: screenshots
 * of a few dialogs stay small enough, and the format stays verifiable.
 */
#include "window_shot.h"

#include "error_record.h"

static const uint32_t STORED_BLOCK_MAX = 65535; /* deflate's limit per stored block */

static uint32_t Crc32(const uint8_t *bytes, size_t count, uint32_t crc = 0)
{
    static uint32_t table[256];
    if (!table[1]) {
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < count; i++)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

static uint32_t Adler32(const std::vector<uint8_t> &bytes)
{
    uint32_t a = 1, b = 0;
    for (uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

static void PutBigEndian(std::vector<uint8_t> *out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back((uint8_t)(value >> shift));
}

/* Length, type, data, and the CRC over type and data. */
static void PutChunk(std::vector<uint8_t> *out, const char type[5],
                     const std::vector<uint8_t> &data)
{
    PutBigEndian(out, (uint32_t)data.size());
    size_t typeAt = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out->data() + typeAt, 4 + data.size()));
}

/* A zlib stream of stored deflate blocks holding raw as it is. */
static std::vector<uint8_t> StoredZlib(const std::vector<uint8_t> &raw)
{
    std::vector<uint8_t> stream = {0x78, 0x01};
    size_t at = 0;
    do {
        uint32_t length = (uint32_t)(raw.size() - at < STORED_BLOCK_MAX ? raw.size() - at
                                                                        : STORED_BLOCK_MAX);
        bool last = at + length == raw.size();
        stream.push_back(last ? 1 : 0);
        stream.push_back((uint8_t)length);
        stream.push_back((uint8_t)(length >> 8));
        stream.push_back((uint8_t)~length);
        stream.push_back((uint8_t)(~length >> 8));
        stream.insert(stream.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    PutBigEndian(&stream, Adler32(raw));
    return stream;
}

std::vector<uint8_t> EncodePng(const uint8_t *rgb, uint32_t width, uint32_t height)
{
    static const uint8_t SIGNATURE[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> png(SIGNATURE, SIGNATURE + sizeof(SIGNATURE));
    std::vector<uint8_t> header;
    PutBigEndian(&header, width);
    PutBigEndian(&header, height);
    /* 8 bits a sample, colour type 2 (RGB), deflate, adaptive filters, no interlace. */
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(&png, "IHDR", header);

    /* Every row is preceded by its filter type, 0 (none). */
    size_t rowBytes = (size_t)width * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * height);
    for (uint32_t y = 0; y < height; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + y * rowBytes, rgb + (y + 1) * rowBytes);
    }
    PutChunk(&png, "IDAT", StoredZlib(raw));
    PutChunk(&png, "IEND", {});
    return png;
}

/* The window's rectangle cut to the virtual screen; false when nothing is left. */
static bool VisibleRect(HWND window, RECT *visible)
{
    RECT shown, screen;
    GetWindowRect(window, &shown);
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return IntersectRect(visible, &shown, &screen) != 0;
}

/* Copies the screen's pixels in rect into a top-down 32-bit bitmap and
 * from there into rgb. */
static int CopyScreenPixels(const RECT &rect, std::vector<uint8_t> *rgb)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int status = STATUS_OK;
    HDC screen = GetDC(NULL);
    HDC memory = screen ? CreateCompatibleDC(screen) : NULL;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP bitmap = memory ? CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0)
                            : NULL;
    HGDIOBJ previous = bitmap ? SelectObject(memory, bitmap) : NULL;
    if (!previous ||
        !BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT))
        status = STATUS_SYSTEM_ERROR;
    if (status == STATUS_OK) {
        GdiFlush();
        const uint8_t *bgra = (const uint8_t *)bits;
        rgb->resize((size_t)width * height * 3);
        for (size_t i = 0, count = (size_t)width * height; i < count; i++) {
            (*rgb)[i * 3] = bgra[i * 4 + 2];
            (*rgb)[i * 3 + 1] = bgra[i * 4 + 1];
            (*rgb)[i * 3 + 2] = bgra[i * 4];
        }
    }
    DWORD error = GetLastError();
    if (previous)
        SelectObject(memory, previous);
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    if (screen)
        ReleaseDC(NULL, screen);
    SetLastError(error);
    return status;
}

int CaptureWindow(HWND window, std::vector<uint8_t> *rgb, uint32_t *width, uint32_t *height)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return STATUS_SYSTEM_ERROR;
    }
    RECT rect;
    if (!VisibleRect(window, &rect)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return STATUS_SYSTEM_ERROR;
    }
    std::vector<uint8_t> pixels;
    int status = CopyScreenPixels(rect, &pixels);
    if (status == STATUS_OK) {
        if (rgb)
            rgb->swap(pixels);
        if (width)
            *width = (uint32_t)(rect.right - rect.left);
        if (height)
            *height = (uint32_t)(rect.bottom - rect.top);
    }
    return status;
}

static int WriteWholeFile(const char *path, const std::vector<uint8_t> &bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    if (file == INVALID_HANDLE_VALUE)
        return STATUS_SYSTEM_ERROR;
    DWORD written = 0;
    int status = STATUS_OK;
    DWORD error = 0;
    if (!WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL)) {
        status = STATUS_SYSTEM_ERROR;
        error = GetLastError();
    } else if (written != bytes.size()) {
        /* A short write leaves no error of its own. */
        status = STATUS_SYSTEM_ERROR;
        error = ERROR_WRITE_FAULT;
    }
    if (!CloseHandle(file) && status == STATUS_OK) {
        status = STATUS_SYSTEM_ERROR;
        error = GetLastError();
    }
    if (status != STATUS_OK)
        DeleteFileA(path);
    SetLastError(error);
    return status;
}

int SaveWindowPng(HWND window, const char *path)
{
    std::vector<uint8_t> rgb;
    uint32_t width = 0, height = 0;
    int status = CaptureWindow(window, &rgb, &width, &height);
    if (status == STATUS_OK)
        status = WriteWholeFile(path, EncodePng(rgb.data(), width, height));
    return status;
}
