#include "models/sprite/SpriteReader.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {
using namespace sprite_format;

// A wrong ident, version or value; the message depends on the sprite kind.
struct FormatError {};
struct NoPictures {};

SpritePicture ReadPicture(BinaryReader& in) {
    SpritePicture picture;
    picture.originX = in.ReadI32();
    picture.originY = in.ReadI32();
    const std::int32_t width = in.ReadI32();
    const std::int32_t height = in.ReadI32();
    if (width <= 0 || height <= 0) {
        throw FormatError{};
    }
    picture.width = width;
    picture.height = height;
    const std::int64_t area = static_cast<std::int64_t>(width) * height;
    picture.indexes = in.ReadBytes(in.CheckCount(area, 1));
    return picture;
}

// Group timings as clock frames per picture: growing end times, or equal steps.
std::vector<float> Durations(const std::vector<float>& times) {
    bool growing = true;
    for (std::size_t i = 1; i < times.size(); ++i) {
        growing = growing && times[i] > times[i - 1];
    }
    std::vector<float> durations;
    float previous = 0.0f;
    for (const float time : times) {
        float seconds = growing ? time - previous : time;
        previous = time;
        float frames = seconds / kSecondsPerFrame;
        if (!std::isfinite(frames) || frames <= 0.0f) {
            frames = 1.0f;
        }
        durations.push_back(frames > kLongestPicture ? kLongestPicture : frames);
    }
    return durations;
}

SpriteData ReadQuake2(BinaryReader& in) {
    if (in.ReadU32() != kQuake2Ident || in.ReadI32() != kQuake2Version) {
        throw FormatError{};
    }
    SpriteData data;
    data.format = SpriteFormat::Quake2;
    const std::size_t count = in.CheckCount(in.ReadI32(), kQuake2FrameSize);
    for (std::size_t i = 0; i < count; ++i) {
        SpritePicture picture;
        picture.width = in.ReadI32();
        picture.height = in.ReadI32();
        picture.originX = in.ReadI32();
        picture.originY = in.ReadI32();
        picture.imageName = in.ReadTerminatedText(kQuake2NameSize);
        if (picture.width <= 0 || picture.height <= 0 || picture.imageName.empty()) {
            throw FormatError{};
        }
        data.pictures.push_back(std::move(picture));
    }
    return data;
}

SpriteData ReadSpr(BinaryReader& in) {
    if (in.ReadU32() != kSpriteIdent) {
        throw FormatError{};
    }
    SpriteData data;
    const std::int32_t version = in.ReadI32();
    if (version != kQuake1Version && version != kHalfLifeVersion) {
        throw FormatError{};
    }
    data.format = version == kQuake1Version ? SpriteFormat::Quake1 : SpriteFormat::HalfLife;
    data.type = in.ReadI32();
    if (data.type < 0 || data.type >= kTypeCount) {
        throw FormatError{};
    }
    if (data.format == SpriteFormat::HalfLife) {
        const std::int32_t textureFormat = in.ReadI32();
        if (textureFormat < 0 || textureFormat > static_cast<int>(SpriteTextureFormat::AlphaTest)) {
            throw FormatError{};
        }
        data.textureFormat = static_cast<SpriteTextureFormat>(textureFormat);
    }
    in.Skip(4 + 4 + 4);  // bounding radius, width, height: each picture has its own size
    const std::int32_t frameCount = in.ReadI32();
    in.Skip(4 + 4);  // beam length, sync type
    if (data.format == SpriteFormat::HalfLife) {
        const int colours = in.ReadI16();
        if (colours <= 0 || colours > kPaletteColours) {
            throw FormatError{};
        }
        for (int i = 0; i < colours; ++i) {
            for (int c = 0; c < 3; ++c) {
                data.palette[static_cast<std::size_t>(4 * i + c)] = in.ReadU8();
            }
        }
        if (data.textureFormat == SpriteTextureFormat::IndexAlpha) {
            // Every pixel has the last colour; its index is its alpha.
            const std::size_t last = static_cast<std::size_t>(4 * (colours - 1));
            for (std::size_t i = 0; i < data.palette.size(); i += 4) {
                std::memmove(&data.palette[i], &data.palette[last], 3);
            }
        }
    } else {
        data.palette = Quake1Palette().Table(false);
    }
    const std::size_t frames = in.CheckCount(frameCount, 4 + kPictureHeaderSize);
    for (std::size_t f = 0; f < frames; ++f) {
        const std::int32_t type = in.ReadI32();
        if (type == kSinglePicture) {
            data.pictures.push_back(ReadPicture(in));
            continue;
        }
        if (type != kPictureGroup) {
            throw FormatError{};
        }
        const std::size_t count = in.CheckCount(in.ReadI32(), 4 + kPictureHeaderSize);
        if (count == 0) {
            throw FormatError{};
        }
        std::vector<float> times(count);
        for (float& time : times) {
            time = in.ReadF32();
        }
        for (const float duration : Durations(times)) {
            SpritePicture picture = ReadPicture(in);
            picture.duration = duration;
            data.pictures.push_back(std::move(picture));
        }
    }
    return data;
}
}  // namespace

float SpritePicture::Left(SpriteFormat format) const {
    return format == SpriteFormat::Quake2 ? -static_cast<float>(originX) : static_cast<float>(originX);
}

SpriteReadResult ReadSpriteData(const ByteBuffer& bytes, bool quake2) {
    SpriteReadResult result;
    const bool quake2Ident = bytes.size() >= 4 && std::memcmp(bytes.data(), "IDS2", 4) == 0;
    const MessageText formatError = quake2Ident || (quake2 && !(bytes.size() >= 4 && std::memcmp(bytes.data(), "IDSP", 4) == 0))
                                        ? msg::kNotValidSprite
                                        : msg::kInvalidSpriteFormat;
    try {
        BinaryReader in(bytes);
        if (bytes.size() < 4) {
            throw ReadError("no ident");
        }
        SpriteData data = quake2Ident ? ReadQuake2(in) : ReadSpr(in);
        if (data.pictures.empty()) {
            throw NoPictures{};
        }
        result.data = std::move(data);
    } catch (const ReadError&) {
        result.error = msg::kErrorReadingSprite;
    } catch (const std::bad_alloc&) {
        result.error = msg::kErrorReadingSprite;
    } catch (const FormatError&) {
        result.error = formatError;
    } catch (const NoPictures&) {
        result.error = msg::kNoSpriteTextures;
    }
    return result;
}
