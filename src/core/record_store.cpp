#include "core/record_store.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

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

ZBD_File::~ZBD_File() {
    Close();
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
    : line_(line), separator_(separator) {
    // Room for every field at once, rather than growing field by field.
    fields_.reserve(std::min<size_t>(
        kMaxFields, 1 + static_cast<size_t>(std::count(line_.begin(), line_.end(), separator_))));
    size_t start = 0;
    bool quoted = !line_.empty() && line_[0] == '"';
    auto addField = [&](size_t end) {
        size_t from = start;
        size_t length = end - start;
        if (quoted) {
            // Drop the opening quote and, when there is one, the closing one.
            if (length > 1)
                length -= 2;
            else
                length = 0;
            ++from;
        }
        fields_.emplace_back(line_, std::min(from, line_.size()), length);
    };
    for (size_t i = 0; i < line_.size() && fields_.size() + 1 < kMaxFields; ++i) {
        char c = line_[i];
        if ((c != separator_ && c != '\n') || (quoted && (i == 0 || line_[i - 1] != '"')))
            continue;
        addField(i);
        start = i + 1;
        quoted = start < line_.size() && line_[start] == '"';
    }
    // The last field runs to the end of the line; beyond the hundredth
    // boundary the rest of the line stays in the last field.
    addField(line_.size());
}

std::string ZBD_Record::Field(int n) const {
    if (n < 1 || n > FieldCount())
        return {};
    return fields_[static_cast<size_t>(n - 1)];
}

int ZBD_Record::FieldInt(int n) const {
    if (n < 1 || n > FieldCount())
        return 0;
    return kvr::LeadingInt(fields_[static_cast<size_t>(n - 1)]);
}
