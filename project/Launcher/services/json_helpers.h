// The small JSON functions shared by the services and the launcher core:
// parsing, a recursive key lookup, string lists, and writing files.
#pragma once

#include <json/json.h>

#include <string>
#include <vector>

// Texts longer than this are not parsed: no document of the launcher comes
// near it, and it bounds what a server or a damaged file can make us hold.
constexpr size_t kMaxJsonTextBytes = 64u << 20;

// Looks for `key` among the members of the object `value`, in key order; a
// member that is an array is searched through its elements (objects inside
// it, recursively) before the next member. Members that are objects are not
// searched. A matching member whose value is null does not count.
bool FindJsonKey(const Json::Value& value, const std::string& key, Json::Value& out);

// Parses the whole text with the library's default reader settings; false
// for empty or oversized text, nesting deeper than the reader's limit, or
// any other error, always with `error` saying why. Nothing the reader throws
// escapes: every JSON document of the program is parsed through here.
bool ParseJson(const std::string& text, Json::Value& out, std::string& error);

// The value found for `key` (FindJsonKey) as texts: each element of an
// array, or the value itself. Arrays and objects have no text and are
// skipped. True when the list is not empty.
bool GetJsonStringList(const Json::Value& value, const std::string& key,
                       std::vector<std::string>& list);

// Writes the value indented with tabs through WriteStringToFile.
bool WriteJsonFile(const std::string& path, const Json::Value& value);

// Writes the strings as a JSON array, indented with tabs.
void WriteJsonStringList(const std::string& path, const std::vector<std::string>& list);

// Appends the texts of the elements of the JSON array in the file to `list`
// (not cleared first); false when the file cannot be read, does not parse or
// does not hold an array.
bool ReadJsonStringList(const std::string& path, std::vector<std::string>& list);
