#include "project/Launcher/services/json_helpers.h"

#include <exception>
#include <memory>
#include <sstream>

#include "project/Launcher/services/folder_helpers.h"

namespace {

// The text form of a scalar value; arrays and objects have none.
bool JsonValueToText(const Json::Value& value, std::string& text) {
  if (value.isArray() || value.isObject()) return false;
  text = value.asString();
  return true;
}

void AppendTexts(const Json::Value& value, std::vector<std::string>& list) {
  std::string text;
  if (value.isArray()) {
    for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
      if (JsonValueToText(value[i], text)) list.push_back(text);
    }
  } else if (JsonValueToText(value, text)) {
    list.push_back(text);
  }
}

std::string SerializeWithTabs(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "\t";
  std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
  std::ostringstream out;
  writer->write(value, &out);
  return out.str();
}

}  // namespace

bool FindJsonKey(const Json::Value& value, const std::string& key, Json::Value& out) {
  if (!value.isObject()) return false;
  for (auto it = value.begin(); it != value.end(); ++it) {
    const Json::Value& child = *it;
    if (it.name() == key && !child.isNull()) {
      out = child;
      return true;
    }
    if (child.isArray()) {
      for (Json::ArrayIndex i = 0; i < child.size(); ++i) {
        if (FindJsonKey(child[i], key, out)) return true;
      }
    }
  }
  return false;
}

bool ParseJson(const std::string& text, Json::Value& out, std::string& error) {
  error.clear();
  if (text.empty()) {
    error = "empty text";
    return false;
  }
  if (text.size() > kMaxJsonTextBytes) {
    error = "JSON text too large";
    return false;
  }
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  bool ok = false;
  try {
    ok = reader->parse(text.data(), text.data() + text.size(), &root, &error);
  } catch (const std::exception& e) {  // the reader throws past its depth limit
    error = e.what();
    ok = false;
  }
  if (!ok || !error.empty()) return false;
  out = std::move(root);
  return true;
}

bool GetJsonStringList(const Json::Value& value, const std::string& key,
                       std::vector<std::string>& list) {
  list.clear();
  Json::Value found;
  if (FindJsonKey(value, key, found)) AppendTexts(found, list);
  return !list.empty();
}

bool WriteJsonFile(const std::string& path, const Json::Value& value) {
  return WriteStringToFile(path, SerializeWithTabs(value));
}

void WriteJsonStringList(const std::string& path, const std::vector<std::string>& list) {
  Json::Value array(Json::arrayValue);
  for (const std::string& text : list) array.append(text);
  WriteStringToFile(path, SerializeWithTabs(array));
}

bool ReadJsonStringList(const std::string& path, std::vector<std::string>& list) {
  std::string text;
  if (!ReadFileToString(path, text)) return false;
  Json::Value root;
  std::string error;
  if (!ParseJson(text, root, error) || !root.isArray()) return false;
  AppendTexts(root, list);
  return true;
}
