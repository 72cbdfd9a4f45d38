#include "references/RtfTokenizer.h"

#include <algorithm>
#include <climits>

namespace vemtaro::references {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool endsText(char c)
{
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n';
}

} // namespace

RtfTokenizer::Token RtfTokenizer::next()
{
    const qsizetype size = data_.size();
    while (pos_ < size && (data_[pos_] == '\r' || data_[pos_] == '\n'))
        ++pos_;
    Token token;
    if (pos_ >= size)
        return token;
    switch (data_[pos_]) {
    case '{':
        ++pos_;
        token.kind = Kind::GroupOpen;
        return token;
    case '}':
        ++pos_;
        token.kind = Kind::GroupClose;
        return token;
    case '\\':
        return readControl();
    default: {
        const qsizetype start = pos_;
        while (pos_ < size && !endsText(data_[pos_]))
            ++pos_;
        token.kind = Kind::Text;
        token.bytes = data_.sliced(start, pos_ - start);
        return token;
    }
    }
}

RtfTokenizer::Token RtfTokenizer::readControl()
{
    const qsizetype size = data_.size();
    Token token;
    ++pos_; // the backslash
    if (pos_ >= size)
        return token;
    const char first = data_[pos_];
    if (!isLetter(first)) {
        ++pos_;
        if (first == '\'') {
            const int high = pos_ < size ? hexValue(data_[pos_]) : -1;
            const int low = pos_ + 1 < size ? hexValue(data_[pos_ + 1]) : -1;
            if (high >= 0 && low >= 0) {
                pos_ += 2;
                token.kind = Kind::HexByte;
                token.value = static_cast<unsigned char>(high * 16 + low);
                return token;
            }
        }
        token.kind = Kind::ControlSymbol;
        token.value = static_cast<unsigned char>(first);
        return token;
    }
    const qsizetype start = pos_;
    while (pos_ < size && isLetter(data_[pos_]))
        ++pos_;
    token.kind = Kind::ControlWord;
    token.bytes = data_.sliced(start, std::min<qsizetype>(pos_ - start, maxWordLength));
    token.hasParameter = readParameter(token.parameter);
    if (pos_ < size && data_[pos_] == ' ')
        ++pos_;
    if (token.bytes == "bin") {
        const qsizetype count = std::min<qsizetype>(std::max(token.parameter, 0), size - pos_);
        token.kind = Kind::Binary;
        token.bytes = data_.sliced(pos_, count);
        pos_ += count;
    }
    return token;
}

bool RtfTokenizer::readParameter(int& value)
{
    const qsizetype size = data_.size();
    qsizetype p = pos_;
    const bool negative = p < size && data_[p] == '-';
    if (negative)
        ++p;
    if (p >= size || !isDigit(data_[p]))
        return false;
    long long magnitude = 0;
    for (; p < size && isDigit(data_[p]); ++p)
        magnitude = std::min<long long>(magnitude * 10 + (data_[p] - '0'), INT_MAX);
    pos_ = p;
    value = int(negative ? -magnitude : magnitude);
    return true;
}

bool RtfTokenizer::skipGroup()
{
    const qsizetype size = data_.size();
    qsizetype depth = 1;
    while (pos_ < size) {
        const char c = data_[pos_++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return true;
        } else if (c == '\\' && pos_ < size) {
            if (!isLetter(data_[pos_])) {
                ++pos_; // an escaped brace or backslash does not count
                continue;
            }
            const qsizetype start = pos_;
            while (pos_ < size && isLetter(data_[pos_]))
                ++pos_;
            if (data_.sliced(start, pos_ - start) != "bin")
                continue;
            int count = 0;
            readParameter(count);
            if (pos_ < size && data_[pos_] == ' ')
                ++pos_;
            pos_ += std::min<qsizetype>(std::max(count, 0), size - pos_);
        }
    }
    return false;
}

} // namespace vemtaro::references
