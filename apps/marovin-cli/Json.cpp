#include "Json.h"

#include <cmath>
#include <cstdio>

#include "platform/TextEncoding.h"

void JsonWriter::Indent() {
    out_ += '\n';
    out_.append(first_.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) {
            out_ += ',';
        }
        first_.back() = false;
        Indent();
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty) {
        Indent();
    }
    out_ += '}';
    if (first_.empty()) {
        out_ += '\n';
    }
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty) {
        Indent();
    }
    out_ += ']';
    return *this;
}

JsonWriter& JsonWriter::Key(const std::string& key) {
    BeforeValue();
    out_ += '"' + JsonEscape(key) + "\": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
    BeforeValue();
    out_ += '"' + JsonEscape(value) + '"';
    return *this;
}

JsonWriter& JsonWriter::Int(long long value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        out_ += "null";
        return *this;
    }
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%.9g", value);
    out_ += buf;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::NumberArray(const std::string& key, const std::vector<double>& values) {
    Key(key).BeginArray();
    for (double v : values) {
        Number(v);
    }
    return EndArray();
}
