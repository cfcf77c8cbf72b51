#include "project/Launcher/core/apply_list.h"

#include "project/Launcher/core/gate_config.h"
#include "project/Launcher/core/bounded_file.h"
#include "project/Launcher/services/json_helpers.h"

bool ReadApplyList(const std::string& path, ApplyList* list) {
  std::string text;
  Json::Value root;
  std::string error;
  if (!ReadBoundedFile(path, kMaxMapFileBytes, &text) || !ParseJson(text, root, error)) return false;
  if (!root.isObject() || !root["version"].isString()) return false;
  list->version = root["version"].asString();
  const Json::Value& files = root["fileList"];
  if (!files.isArray()) return false;
  list->fileList.clear();
  std::string name;
  for (const Json::Value& element : files) {
    if (JsonValueToText(element, &name)) list->fileList.push_back(name);
  }
  return true;
}

bool WriteApplyList(const std::string& path, const ApplyList& list) {
  if (list.version.empty() || list.fileList.empty()) return false;
  Json::Value root(Json::objectValue);
  root["version"] = list.version;
  Json::Value& files = root["fileList"] = Json::Value(Json::arrayValue);
  for (const std::string& name : list.fileList) files.append(name);
  return WriteJsonFile(path, root);
}
