// Fills a working folder in which the editor starts as a returning user's would: "sample.wtd", a small
// archive of colourful textures, and the settings file "config/varnel.bcf" holding the defaults (a first
// start would report the missing file). The archive is made the way a user makes one in the editor: a
// new empty archive, textures added from DDS files, a full mip chain generated for each, then saved.
// The screenshot script lists the archive for reopening and starts the editor there.
//
//   make_sample_folder <folder>
//
// A failure prints where the log of the run was written.

#include "Backend/Settings.h"
#include "Common/MessageLog/MessageLog.h"
#include "Common/STDFunctions/STDFunctions.h"
#include "Platform/Direct3D.h"
#include "Platform/Image/PixelConverter.h"
#include "WTD/WTDFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
const double PI = 3.14159265358979323846;

typedef std::vector<uint8_t> Pixels;
// The colour of one pixel (x and y from 0 to 1), as red, green, blue and alpha from 0 to 1.
typedef std::function<void(double x, double y, double rgba[4])> Painter;

struct Sample
{
    const char* name;
    UINT width;
    UINT height;
    D3DFORMAT format;
    Painter paint;
};

uint8_t toByte(double value)
{
    return static_cast<uint8_t>(std::lround(std::fmin(1.0, std::fmax(0.0, value)) * 255.0));
}

// A fully saturated colour around the colour wheel, hue from 0 to 1.
void hue(double h, double rgba[4])
{
    for (int channel = 0; channel < 3; ++channel) {
        const double phase = std::fmod(h + channel / 3.0, 1.0);
        rgba[channel] = std::fmin(1.0, std::fmax(0.0, std::fabs(phase * 6.0 - 3.0) - 1.0));
    }
}

void sunset(double x, double y, double rgba[4])
{
    const double horizon = 0.7;
    rgba[0] = 1.0 - 0.45 * y;
    rgba[1] = 0.8 - 0.75 * y;
    rgba[2] = 0.3 + 0.45 * y;
    rgba[3] = 1.0;
    const double sun = std::hypot(x - 0.5, y - horizon);
    if (sun < 0.18) {
        rgba[0] = 1.0;
        rgba[1] = 0.92 - sun;
        rgba[2] = 0.5 - sun;
    }
    // The sea: dark water in gentle waves, with the sun's path across it.
    if (y > horizon) {
        const double wave = 0.5 + 0.5 * std::sin(y * 160.0 + std::sin(x * 25.0) * 2.0);
        const double glitter = std::fabs(x - 0.5) < 0.2 - (y - horizon) * 0.3 ? wave : 0.0;
        rgba[0] = 0.25 + 0.1 * wave + 0.7 * glitter;
        rgba[1] = 0.12 + 0.05 * wave + 0.55 * glitter;
        rgba[2] = 0.35 + 0.15 * wave + 0.1 * glitter;
    }
}

void bricks(double x, double y, double rgba[4])
{
    const double row = y * 8.0;
    const double column = x * 4.0 + (static_cast<int>(row) % 2 == 0 ? 0.0 : 0.5);
    const bool mortar = std::fmod(row, 1.0) < 0.12 || std::fmod(column, 1.0) < 0.06;
    const double shade =
        0.85 + 0.15 * std::sin(static_cast<int>(column) * 12.9898 + static_cast<int>(row) * 78.233);
    rgba[0] = mortar ? 0.78 : 0.7 * shade;
    rgba[1] = mortar ? 0.76 : 0.28 * shade;
    rgba[2] = mortar ? 0.7 : 0.18 * shade;
    rgba[3] = 1.0;
}

void checker(double x, double y, double rgba[4])
{
    const int cx = static_cast<int>(x * 8.0);
    const int cy = static_cast<int>(y * 8.0);
    hue((cx + cy) / 16.0, rgba);
    if ((cx + cy) % 2 == 0) {
        for (int channel = 0; channel < 3; ++channel)
            rgba[channel] = 0.35 + 0.65 * rgba[channel] * 0.4;
    }
    rgba[3] = 1.0;
}

void bubble(double x, double y, double rgba[4])
{
    const double r = std::hypot(x - 0.5, y - 0.5) * 2.0;
    hue(std::atan2(y - 0.5, x - 0.5) / (2.0 * PI) + 0.5, rgba);
    for (int channel = 0; channel < 3; ++channel)
        rgba[channel] = rgba[channel] * r + (1.0 - r);
    rgba[3] = r > 1.0 ? 0.0 : 0.35 + 0.65 * r * r;
}

void grass(double x, double y, double rgba[4])
{
    const double blade = 0.5 + 0.5 * std::sin(x * 180.0 + std::sin(x * 23.0) * 6.0 + y * 3.0);
    rgba[0] = 0.15 + 0.25 * blade * y;
    rgba[1] = 0.35 + 0.5 * blade;
    rgba[2] = 0.1 + 0.1 * blade;
    rgba[3] = 1.0;
}

void rainbow(double x, double y, double rgba[4])
{
    hue(x, rgba);
    rgba[3] = 1.0 - std::fabs(y - 0.5) * 1.6;
}

const Sample SAMPLES[] = {
    {"sunset_beach", 256, 256, D3DFMT_A8B8G8R8, sunset}, {"brick_wall", 128, 128, D3DFMT_DXT1, bricks},
    {"checker_tiles", 64, 64, D3DFMT_DXT1, checker},     {"glass_bubble", 128, 128, D3DFMT_DXT5, bubble},
    {"grass_blades", 256, 128, D3DFMT_DXT1, grass},      {"rainbow_band", 256, 32, D3DFMT_DXT3, rainbow},
};

Pixels paint(const Sample& sample)
{
    Pixels pixels(size_t(sample.width) * sample.height * 4);
    uint8_t* pixel = pixels.data();
    for (UINT y = 0; y < sample.height; ++y) {
        for (UINT x = 0; x < sample.width; ++x, pixel += 4) {
            double rgba[4] = {};
            sample.paint((x + 0.5) / sample.width, (y + 0.5) / sample.height, rgba);
            for (int channel = 0; channel < 4; ++channel)
                pixel[channel] = toByte(rgba[channel]);
        }
    }
    return pixels;
}

// The picture as a one-level DDS file in the sample's format, as a user would bring it.
bool writeDds(IDirect3DDevice9* device, const Sample& sample, const std::string& path)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTexture(device, sample.width, sample.height, 1, 0, sample.format, D3DPOOL_MANAGED,
                                 &texture)))
        return false;
    const Pixels pixels = paint(sample);
    STDFunctions* functions = STDFunctions::getInstance();
    const bool written =
        PixelConverter::encodeLevel(*texture, 0, pixels.data()) &&
        SUCCEEDED(D3DXSaveTextureToFileW(functions->stringToLPCWSTR(path), D3DXIFF_DDS, texture, nullptr));
    STDFunctions::release();
    texture->Release();
    return written;
}

// The archive is the one the editor's New, Add, Generate MipMaps and Save would make of these pictures.
bool addSamples(IDirect3DDevice9* device, const std::string& path)
{
    if (!WTDFile().saveFile(path, 0))
        return false;
    WTDFile archive(path, device, WTDFile::WHOLE_FILE, 0);
    if (archive.hasLoadFailed())
        return false;
    const std::string picture = path + ".picture.dds";
    for (const Sample& sample : SAMPLES) {
        const bool added = writeDds(device, sample, picture) && archive.addTexture(picture, sample.name) &&
                           archive.generateMipMaps(static_cast<uint32_t>(archive.m_textures.size() - 1));
        unlink(picture.c_str());
        if (!added)
            return false;
    }
    return archive.saveFile(path, 0);
}

bool writeArchive(const std::string& path)
{
    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    const bool written =
        direct3D != nullptr &&
        SUCCEEDED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device)) &&
        addSamples(device, path);
    if (device != nullptr)
        device->Release();
    if (direct3D != nullptr)
        direct3D->Release();
    return written;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder + "/config", error);
    if (!writeArchive(folder + "/sample.wtd") || !Settings("").saveFile(folder + "/config/varnel.bcf")) {
        const std::string log = folder + "/make_sample_folder.log";
        MessageLog::getInstance()->saveLog(log);
        std::fprintf(stderr, "The sample folder could not be filled; the log is in %s\n", log.c_str());
        return 1;
    }
    return 0;
}
