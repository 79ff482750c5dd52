// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/data_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr const char* kLineBreak = "\r\n";

// Reads one line of any length (NUL bytes included) without its line break.
// Returns false at the end of the file or on a read error.
bool readRawLine(std::FILE* input, std::string& line) {
    // getline's buffer is kept from one line to the next, so that reading a
    // file does not allocate once per line; one that an overlong line made
    // large is given back at once.
    struct Buffer {
        char* data = nullptr;
        size_t capacity = 0;
        void Release() {
            std::free(data);
            data = nullptr;
            capacity = 0;
        }
        ~Buffer() { Release(); }
    };
    constexpr size_t kKeptCapacity = 64 * 1024;
    thread_local Buffer buffer;
    ssize_t length = ::getline(&buffer.data, &buffer.capacity, input);
    if (length >= 0)
        line.assign(buffer.data, static_cast<size_t>(length));
    if (buffer.capacity > kKeptCapacity)
        buffer.Release();
    if (length < 0)
        return false;
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

} // namespace

namespace kvr {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

// UTF-16 text (without its byte order mark) as UTF-8; a lone surrogate
// becomes U+FFFD and an odd last byte is dropped.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](size_t i) -> char32_t {
        auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xd800 && c < 0xdc00 && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xdc00 && low < 0xe000) {
                appendUtf8(out, 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, c >= 0xd800 && c < 0xe000 ? char32_t{0xfffd} : c);
    }
    return out;
}

enum class Encoding { Plain, Utf8Bom, Utf16Le, Utf16Be };

Encoding encodingOf(std::string_view start) {
    if (start.starts_with("\xef\xbb\xbf"))
        return Encoding::Utf8Bom;
    if (start.starts_with("\xff\xfe"))
        return Encoding::Utf16Le;
    if (start.starts_with("\xfe\xff"))
        return Encoding::Utf16Be;
    return Encoding::Plain;
}

} // namespace

std::string DecodeText(std::string contents) {
    switch (encodingOf(contents)) {
    case Encoding::Plain:
        break;
    case Encoding::Utf8Bom:
        contents.erase(0, 3);
        break;
    case Encoding::Utf16Le:
        return utf16ToUtf8(std::string_view(contents).substr(2), false);
    case Encoding::Utf16Be:
        return utf16ToUtf8(std::string_view(contents).substr(2), true);
    }
    return contents;
}

std::vector<std::string> SplitLines(std::string_view contents) {
    std::string decoded;
    if (encodingOf(contents) != Encoding::Plain) {
        decoded = DecodeText(std::string(contents));
        contents = decoded;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(contents.substr(start));
            break;
        }
        lines.emplace_back(contents.substr(start, end - start));
        start = end + 1;
        if (contents[end] == '\r' && start < contents.size() && contents[start] == '\n')
            ++start;
    }
    return lines;
}

float HeaderVersion(std::string_view line) {
    auto format = line.find("Format");
    return format == std::string_view::npos ? 0.0f : LeadingFloat(line.substr(format + 6));
}

bool IsFormatHeader(std::string_view line) {
    auto format = line.find("Format");
    if (format == std::string_view::npos)
        return false;
    size_t p = line.find_first_not_of(" \t", format + 6);
    return p != std::string_view::npos && line[p] >= '0' && line[p] <= '9';
}

std::string ErrorText(int error) {
    if (error == kNotRegularFile)
        return kNotRegularFileText;
    return std::strerror(error);
}

namespace {

// A line of quoted, comma-separated fields: a record of the current layouts.
bool IsQuotedRecordLine(std::string_view line) {
    return line.size() > 1 && line.front() == '"' && line.find("\",\"") != std::string::npos;
}

} // namespace

bool IsHeaderlessLayout(const std::vector<std::string>& lines) {
    return !lines.empty() && IsCountLine(lines[0]) &&
           (lines.size() < 2 || !IsQuotedRecordLine(lines[1]));
}

GroupsRead ReadLineGroups(ZBD_File& file, const HeaderlessLayout& layout,
                          const std::function<bool(std::vector<std::string>&, int)>& take) {
    using FirstLine = ZBD_File::FirstLine;
    using Start = HeaderlessLayout::Start;
    if (layout.start == Start::Count && file.FirstLineKind() != FirstLine::Count)
        return GroupsRead::Damaged;
    auto line = file.NextLine();
    if (layout.start == Start::TitleThenCount) {
        // A file whose first line is the count goes straight on to its first
        // record; after a title line the count line must follow.
        if (line && IsCountLine(*line))
            line = file.NextLine();
        else if (file.FirstLineKind() != FirstLine::Count && line)
            return GroupsRead::Damaged;
    }
    // Values of the old layouts stand alone on their lines; a quoted record
    // line here means a current file that lost its header.
    if (line && IsQuotedRecordLine(*line))
        return GroupsRead::Damaged;
    const size_t size = static_cast<size_t>(std::max(layout.linesPerRecord, 1));
    std::vector<std::string> group;
    for (int index = 0; line;) {
        group.clear();
        for (; line && group.size() < size; line = file.NextLine())
            group.push_back(std::move(*line));
        if (group.size() < static_cast<size_t>(layout.fewestLines))
            break;
        if (layout.endsAtEmptyFirstLine && group.front().empty()) {
            // What follows the end mark is not read, unless it holds record
            // lines of the current layout: then the file is a current one
            // with a damaged header and a blank line, not an old one.
            if (std::any_of(group.begin(), group.end(), IsQuotedRecordLine))
                return GroupsRead::Damaged;
            for (; line; line = file.NextLine())
                if (IsQuotedRecordLine(*line))
                    return GroupsRead::Damaged;
            break;
        }
        bool blank = std::all_of(group.begin(), group.end(),
                                 [](const std::string& text) { return text.empty(); });
        group.resize(size);
        if (blank)
            continue;
        if (!take(group, index++))
            return GroupsRead::Damaged;
    }
    return file.Status() < 0 ? GroupsRead::ReadError : GroupsRead::ToTheEnd;
}

KeptNames FreeKeptNames(const std::string& fileName) {
    std::string base = fileName.substr(0, fileName.rfind('.'));
    // The goal-period change replaces these names every time.
    bool rolledOver = fileName == "play.dat" || fileName == "history.dat";
    for (int n = rolledOver ? 1 : 0;; ++n) {
        std::string number = n == 0 ? std::string() : std::to_string(n);
        KeptNames names{base + number + ".old", base + number + ".dis"};
        if (!FileExists(names.old) && !FileExists(names.dis))
            return names;
    }
}

std::optional<std::string> KeepOriginal(const std::string& fileName) {
    auto contents = ReadWholeFile(fileName);
    if (!contents)
        return std::nullopt;
    std::string name = FreeKeptNames(fileName).old;
    if (!WriteFileAtomically(name, *contents, fileName))
        return std::nullopt;
    return name;
}

std::string DataFileHeader(float version) {
    char number[32];
    auto result =
        std::to_chars(number, number + sizeof number, version, std::chars_format::fixed, 1);
    return "ZBD Data File Format " + std::string(number, result.ptr);
}

} // namespace kvr

ZBD_File::ZBD_File(const std::string& fileName, char mode, char separator, bool hasCountLine)
    : fileName_(fileName), mode_(mode), separator_(separator), hasCountLine_(hasCountLine) {
    switch (mode) {
    case 'r':
        OpenForReading();
        break;
    case 'a':
    case 'w': {
        std::string existing;
        if (mode == 'a' && kvr::FileExists(fileName)) {
            auto contents = kvr::ReadWholeFile(fileName);
            if (!contents) {
                good_ = false;
                status_ = -1;
                return;
            }
            existing = std::move(*contents);
        }
        output_ = std::make_unique<kvr::AtomicFileWriter>(fileName);
        if (!output_->IsOpen()) {
            output_.reset();
            good_ = false;
            status_ = -1;
            return;
        }
        output_->Append(existing);
        break;
    }
    default:
        good_ = false;
        status_ = -1;
    }
}

std::unique_ptr<ZBD_File> ZBD_File::FromText(const std::string& fileName, std::string text,
                                             char separator, bool hasCountLine) {
    // Opened on no file at all ('m'), then served from the text.
    std::unique_ptr<ZBD_File> file(new ZBD_File(fileName, 'm', separator, hasCountLine));
    file->good_ = true;
    file->status_ = 1;
    file->decoded_ = std::move(text);
    file->ReadHeader();
    return file;
}

// A file written to but not closed was left unfinished (an early return, an
// exception): it must not replace the file on disk.
ZBD_File::~ZBD_File() {
    Abandon();
}

void ZBD_File::Failed(int error) {
    good_ = false;
    status_ = -1;
    error_ = error != 0 ? error : EIO;
}

void ZBD_File::OpenForReading() {
    errno = 0;
    // A FIFO, a device or a folder in place of the file is refused, never
    // waited on.
    int fd = kvr::OpenRegularFile(fileName_);
    input_ = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (!input_) {
        int error = errno;
        if (fd >= 0)
            ::close(fd);
        // Only a file that is not there is missing; one that is there but
        // cannot be opened must never be taken for an empty store.
        if (error == ENOENT) {
            good_ = false;
            status_ = 0;
        } else {
            Failed(error);
        }
        return;
    }
    // The byte order mark, if any, tells how the text is encoded.
    char start[3] = {};
    size_t got = std::fread(start, 1, sizeof start, input_);
    if (got < sizeof start && std::ferror(input_)) {
        Failed(errno);
        return;
    }
    std::string_view head(start, got);
    if (head.starts_with("\xff\xfe") || head.starts_with("\xfe\xff")) {
        std::string contents(head);
        char buffer[65536];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, input_)) > 0)
            contents.append(buffer, n);
        if (std::ferror(input_)) {
            Failed(errno);
            return;
        }
        decoded_ = kvr::DecodeText(std::move(contents));
    } else if (!head.starts_with("\xef\xbb\xbf") && std::fseek(input_, 0, SEEK_SET) != 0) {
        Failed(errno);
        return;
    }
    ReadHeader();
}

void ZBD_File::ReadHeader() {
    auto first = ReadLine();
    if (!first || status_ != 1)
        return; // an empty file (FirstLine::None) or a read error
    firstLine_ = *first;
    if (kvr::IsFormatHeader(*first)) {
        firstLineKind_ = FirstLine::Header;
        headerText_ = *first;
        version_ = kvr::HeaderVersion(*first);
        if (!hasCountLine_)
            return;
        auto count = ReadLine();
        if (!count || status_ != 1)
            return;
        if (kvr::IsCountLine(*count)) {
            countLineFound_ = true;
            recordCount_ = kvr::LeadingInt(*count);
        } else {
            pending_.push_front(*count);
        }
    } else if (kvr::IsCountLine(*first)) {
        firstLineKind_ = FirstLine::Count;
        if (hasCountLine_) {
            countLineFound_ = true;
            recordCount_ = kvr::LeadingInt(*first);
        }
    } else {
        firstLineKind_ = FirstLine::Other;
    }
}

bool ZBD_File::NextRawLine(std::string& line) {
    if (!pending_.empty()) {
        line = std::move(pending_.front());
        pending_.pop_front();
        return true;
    }
    if (decoded_) {
        if (decodedAt_ >= decoded_->size())
            return false;
        size_t end = decoded_->find('\n', decodedAt_);
        size_t next = end == std::string::npos ? decoded_->size() : end + 1;
        line.assign(*decoded_, decodedAt_, next - decodedAt_);
        decodedAt_ = next;
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    } else {
        errno = 0;
        if (!readRawLine(input_, line))
            return false;
    }
    // Lines that end in CR alone: the first is returned, the others wait.
    size_t cr = line.find('\r');
    if (cr != std::string::npos) {
        size_t start = cr + 1;
        for (;;) {
            size_t end = line.find('\r', start);
            pending_.push_back(line.substr(start, end == std::string::npos ? end : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        line.resize(cr);
    }
    return true;
}

int ZBD_File::ReadNextLine() {
    if (status_ < 1 || !good_ || (!input_ && !decoded_))
        return -1;
    if (!NextRawLine(lineBuffer_)) {
        lineBuffer_.clear();
        if (!decoded_ && std::ferror(input_)) {
            Failed(errno);
            return -1;
        }
        status_ = 0;
    }
    return status_;
}

std::optional<std::string> ZBD_File::ReadLine() {
    if (ReadNextLine() < 0)
        return std::nullopt;
    return lineBuffer_;
}

void ZBD_File::WriteLine(const std::string& text) {
    if (!output_)
        return;
    output_->Append(text);
    output_->Append(kLineBreak);
}

int ZBD_File::CountLines() {
    if (!good_ && status_ < 0)
        return 0;
    ZBD_File again(fileName_, 'r', separator_, false);
    if (again.Status() <= 0 || again.firstLine_.empty())
        return 0;
    int lines = 1;
    while (lines < INT_MAX) {
        auto line = again.NextLine();
        if (!line || line->empty())
            break;
        ++lines;
    }
    return lines;
}

void ZBD_File::Close() {
    if (input_) {
        std::fclose(input_);
        input_ = nullptr;
    }
    if (output_) {
        if (!output_->Commit()) {
            good_ = false;
            status_ = -1;
        }
        output_.reset();
    }
}

void ZBD_File::Abandon() {
    output_.reset();
    Close();
}
