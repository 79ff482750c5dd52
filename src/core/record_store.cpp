#include "core/record_store.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

std::string QuotedField(std::string_view text) {
    std::string field;
    field.reserve(text.size() + 2);
    field += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n')
            c = ' ';
        else if (c == '"' && i + 1 < text.size() && text[i + 1] == ',')
            c = '\'';
        field += c;
    }
    field += '"';
    return field;
}

bool IsCountLine(std::string_view line) {
    size_t p = line.find_first_not_of(" \t");
    if (p != std::string_view::npos && (line[p] == '+' || line[p] == '-'))
        ++p;
    if (p >= line.size() || line[p] < '0' || line[p] > '9')
        return false;
    p = line.find_first_not_of("0123456789", p);
    return p == std::string_view::npos ||
           line.find_first_not_of(" \t", p) == std::string_view::npos;
}

std::string StorableText(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c == '\r' || c == '\n')
            c = ' ';
        else if (c == '"')
            c = '\'';
    }
    return result;
}

int LeadingInt(std::string_view text) {
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r')))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    long long value = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
        value = value * 10 + (text[p] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
        ++p;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

float LeadingFloat(std::string_view text) {
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r')))
        ++p;
    if (p < text.size() && text[p] == '+')
        ++p;
    float value = 0.0f;
    auto error = std::from_chars(text.data() + p, text.data() + text.size(), value).ec;
    return error == std::errc() && std::isfinite(value) ? value : 0.0f;
}

std::vector<std::string> SplitLines(std::string_view contents) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        size_t next = end == std::string_view::npos ? contents.size() : end + 1;
        if (end == std::string_view::npos)
            end = contents.size();
        if (end > start && contents[end - 1] == '\r')
            --end;
        lines.emplace_back(contents.substr(start, end - start));
        start = next;
    }
    return lines;
}

float HeaderVersion(std::string_view line) {
    auto format = line.find("Format");
    return format == std::string_view::npos ? 0.0f : LeadingFloat(line.substr(format + 6));
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
        input_ = std::fopen(fileName.c_str(), "rb");
        if (!input_) {
            good_ = false;
            status_ = 0;
            return;
        }
        ReadHeader();
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

// A file written to but not closed was left unfinished (an early return, an
// exception): it must not replace the file on disk.
ZBD_File::~ZBD_File() {
    Abandon();
}

void ZBD_File::ReadHeader() {
    if (std::ferror(input_)) {
        good_ = false;
        return;
    }
    auto first = ReadLine();
    if (!first)
        return;
    if (first->find("Format") != std::string::npos) {
        headerText_ = *first;
        version_ = kvr::HeaderVersion(*first);
        if (hasCountLine_)
            first = ReadLine();
    }
    if (hasCountLine_ && first)
        recordCount_ = kvr::LeadingInt(*first);
}

std::optional<std::string> ZBD_File::ReadLine() {
    if (status_ < 1 || !good_ || !input_)
        return std::nullopt;
    if (!readRawLine(input_, lineBuffer_)) {
        lineBuffer_.clear();
        if (std::ferror(input_)) {
            good_ = false;
            status_ = -1;
            return std::nullopt;
        }
        status_ = 0;
        return std::string();
    }
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
    std::FILE* input = std::fopen(fileName_.c_str(), "rb");
    if (!input)
        return 0;
    int lines = 0;
    std::string line;
    while (lines < INT_MAX && readRawLine(input, line) && !line.empty())
        ++lines;
    std::fclose(input);
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

ZBD_Record::ZBD_Record(const std::string& line, char separator)
    : ownLine_(line), line_(ownLine_), separator_(separator) {
    Split();
}

ZBD_Record::ZBD_Record(std::string_view line, char separator, std::nullptr_t)
    : line_(line), separator_(separator) {
    Split();
}

ZBD_Record::ZBD_Record(const ZBD_Record& other)
    : ownLine_(other.ownLine_), line_(other.line_), separator_(other.separator_),
      count_(other.count_) {
    if (other.line_.data() == other.ownLine_.data())
        line_ = ownLine_;
    std::copy_n(other.fields_.begin(), count_, fields_.begin());
}

ZBD_Record& ZBD_Record::operator=(const ZBD_Record& other) {
    if (this != &other) {
        ownLine_ = other.ownLine_;
        line_ =
            other.line_.data() == other.ownLine_.data() ? std::string_view(ownLine_) : other.line_;
        separator_ = other.separator_;
        count_ = other.count_;
        std::copy_n(other.fields_.begin(), count_, fields_.begin());
    }
    return *this;
}

void ZBD_Record::Split() {
    const char* const line = line_.data();
    const size_t size = line_.size();
    size_t start = 0;
    bool quoted = size > 0 && line[0] == '"';
    auto addField = [&](size_t end) {
        size_t from = start;
        size_t length = end - start;
        if (quoted) {
            // Drop the opening quote and, when there is one, the closing one.
            length = length > 1 ? length - 2 : 0;
            from = std::min(from + 1, size);
        }
        fields_[static_cast<size_t>(count_++)] = {from, length};
    };
    // The characters that may end a field, eight at a time: a byte of the
    // word equal to the separator or a line feed sets its mask bit.
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
    constexpr uint64_t kHigh = 0x8080808080808080ULL;
    const uint64_t separators = kOnes * static_cast<unsigned char>(separator_);
    const uint64_t lineFeeds = kOnes * static_cast<unsigned char>('\n');
    auto zeroBytes = [](uint64_t x) { return ~(((x & kLow7) + kLow7) | x) & kHigh; };
    for (size_t base = 0; base < size && count_ + 1 < kMaxFields; base += 8) {
        uint64_t word = 0;
        const size_t chunk = std::min<size_t>(8, size - base);
        std::memcpy(&word, line + base, chunk);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap64(word);
        uint64_t candidates = zeroBytes(word ^ separators) | zeroBytes(word ^ lineFeeds);
        if (chunk < 8)
            candidates &= (uint64_t{1} << (chunk * 8)) - 1;
        while (candidates != 0 && count_ + 1 < kMaxFields) {
            const size_t i = base + static_cast<size_t>(std::countr_zero(candidates)) / 8;
            candidates &= candidates - 1;
            if (quoted && (i == 0 || line[i - 1] != '"'))
                continue; // inside a quoted field
            addField(i);
            start = i + 1;
            quoted = start < size && line[start] == '"';
        }
    }
    // The last field runs to the end of the line; beyond the hundredth
    // boundary the rest of the line stays in the last field.
    addField(size);
}

std::string_view ZBD_Record::FieldView(int n) const {
    if (n < 1 || n > count_)
        return {};
    const Span& field = fields_[static_cast<size_t>(n - 1)];
    return line_.substr(field.from, field.length);
}

int ZBD_Record::FieldInt(int n) const {
    if (n < 1 || n > count_)
        return 0;
    return kvr::LeadingInt(FieldView(n));
}
