#include "render/ThumbnailWorker.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "render/ThumbnailCache.h"

namespace {
constexpr std::size_t kLongestLine = 64 * 1024;
constexpr std::size_t kFields = 5;
constexpr int kMostFrames = 100000;

struct ParsedLine {
    std::string id = "0";
    ThumbnailRequest request;
    std::string error;  // empty when the line is a request
};

// A whole decimal number in [low, high] and nothing else.
std::optional<long long> Decimal(const std::string& text, long long low, long long high) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

ParsedLine Parse(const std::string& line) {
    ParsedLine parsed;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    if (const auto id = Decimal(fields[0], 0, 999999999999999999LL)) {
        parsed.id = std::to_string(*id);
    } else {
        parsed.error = "malformed request: the id is not a decimal number";
        return parsed;
    }
    if (fields.size() != kFields) {
        parsed.error = "malformed request: " + std::to_string(kFields) + " fields separated by tabs are expected";
        return parsed;
    }
    const auto size = Decimal(fields[1], kThumbnailSmallest, kThumbnailLargest);
    const auto frames = Decimal(fields[2], 1, kMostFrames);
    if (!size) {
        parsed.error = "malformed request: the size must be " + std::to_string(kThumbnailSmallest) + " to " +
                       std::to_string(kThumbnailLargest);
    } else if (!frames) {
        parsed.error = "malformed request: the frames must be 1 or more";
    } else if (fields[4].empty()) {
        parsed.error = "malformed request: no name";
    }
    parsed.request = {fields[3], fields[4], static_cast<int>(size.value_or(0)), static_cast<int>(frames.value_or(0))};
    return parsed;
}

// Tabs and line ends would break the answer's line into other fields.
std::string OneField(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

// Reads one line without its end; false at the end of the input. A line longer
// than kLongestLine is read to its end and comes back marked too long.
bool ReadLine(std::FILE* in, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(in)) != EOF) {
        any = true;
        if (c == '\n') {
            break;
        }
        if (line.size() < kLongestLine) {
            line.push_back(static_cast<char>(c));
        } else {
            tooLong = true;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return any;
}

// The answers' own copy of the standard output; the descriptor 1 itself then
// points at the standard error, so that no library's chatter lands between them.
std::FILE* KeepForAnswers(std::FILE* out) {
    if (out != stdout) {
        return out;
    }
    std::fflush(stdout);
    const int kept = ::dup(STDOUT_FILENO);
    std::FILE* answers = kept >= 0 ? ::fdopen(kept, "w") : nullptr;
    if (answers == nullptr) {
        if (kept >= 0) {
            ::close(kept);
        }
        return out;
    }
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    return answers;
}

// A folder of the worker's own for when the cache cannot be used; gone at the end.
class PrivateFolder {
public:
    PrivateFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/marovin-thumbnails-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern + "/";
        }
    }
    ~PrivateFolder() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

int Serve(std::FILE* in, std::FILE* out, Thumbnailer& thumbnailer) {
    std::string line;
    bool tooLong = false;
    while (ReadLine(in, line, tooLong)) {
        ParsedLine parsed = Parse(line);
        if (tooLong) {
            parsed.error = "malformed request: the line is longer than " + std::to_string(kLongestLine) + " bytes";
        }
        std::string answer;
        if (!parsed.error.empty()) {
            answer = "fail\t" + parsed.id + "\t" + parsed.error;
        } else {
            const Thumbnailer::Result result = thumbnailer.Get(parsed.request);
            if (!result.ok) {
                answer = "fail\t" + parsed.id + "\t" + OneField(result.reason);
            } else if (result.pngPath.empty()) {
                answer = "fail\t" + parsed.id + "\tcannot keep the thumbnail in '" +
                         OneField(thumbnailer.Cache().Directory()) + "'";
            } else {
                answer = "ok\t" + parsed.id + "\t" + OneField(result.pngPath) + "\t" + OneField(result.facts);
            }
        }
        answer += "\n";
        if (std::fputs(answer.c_str(), out) == EOF || std::fflush(out) != 0) {
            return 1;
        }
    }
    return 0;
}
}  // namespace

int RunThumbnailWorker(std::FILE* in, std::FILE* out, const std::string& cacheDirectory) {
    std::FILE* answers = KeepForAnswers(out);
    int exitCode = 0;
    {
        std::optional<PrivateFolder> own;
        std::string directory = cacheDirectory;
        if (!ThumbnailCache(cacheDirectory).Usable()) {
            own.emplace();
            directory = own->Path();
        }
        Thumbnailer thumbnailer(directory);
        exitCode = Serve(in, answers, thumbnailer);
    }
    if (answers != out) {
        std::fclose(answers);
    }
    return exitCode;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MAROVIN_SANITIZED_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define MAROVIN_SANITIZED_BUILD 1
#endif
#endif

bool LimitWorkerMemory(std::uint64_t bytes) {
#ifdef MAROVIN_SANITIZED_BUILD
    (void)bytes;
    return false;
#else
    rlimit limit{};
    if (::getrlimit(RLIMIT_DATA, &limit) != 0) {
        return false;
    }
    // Never above what this process was given already.
    const rlim_t wanted = static_cast<rlim_t>(bytes);
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    return ::setrlimit(RLIMIT_DATA, &limit) == 0;
#endif
}

int RunThumbnailWorker(std::FILE* in, std::FILE* out) {
    return RunThumbnailWorker(in, out, DefaultThumbnailDirectory());
}
