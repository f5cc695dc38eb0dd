#pragma once

#include <string>
#include <vector>

// A small streaming JSON writer for the command-line tool's reports.
// Every key and string goes through JsonEscape: names read from game files come
// out as UTF-8.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(const std::string& key);
    JsonWriter& String(const std::string& value);
    JsonWriter& Int(long long value);
    JsonWriter& Number(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    JsonWriter& Field(const std::string& key, const std::string& value) { return Key(key).String(value); }
    JsonWriter& Field(const std::string& key, const char* value) { return Key(key).String(value); }
    JsonWriter& Field(const std::string& key, int value) { return Key(key).Int(value); }
    JsonWriter& Field(const std::string& key, long long value) { return Key(key).Int(value); }
    JsonWriter& Field(const std::string& key, double value) { return Key(key).Number(value); }
    JsonWriter& Field(const std::string& key, bool value) { return Key(key).Bool(value); }
    JsonWriter& NumberArray(const std::string& key, const std::vector<double>& values);

    const std::string& Text() const { return out_; }

private:
    void BeforeValue();
    void Indent();

    std::string out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool afterKey_ = false;
};
