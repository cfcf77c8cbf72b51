#include "platform/keyboard/onboard_keyboard.h"

#include <gio/gio.h>

#include <cstdlib>

namespace platform {

namespace {

constexpr char kService[] = "org.onboard.Onboard";
constexpr char kObject[] = "/org/onboard/Onboard/Keyboard";
constexpr char kInterface[] = "org.onboard.Onboard.Keyboard";

}  // namespace

OnboardKeyboard::OnboardKeyboard() {
  // Without an address glib would try to start a bus through X11; a
  // desktop without one has no keyboard to show either.
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address == nullptr || *address == '\0') return;
  bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
}

OnboardKeyboard::~OnboardKeyboard() {
  if (bus_ != nullptr) g_object_unref(bus_);
}

bool OnboardKeyboard::IsAvailable() {
  if (bus_ == nullptr) return false;
  GVariant* reply = g_dbus_connection_call_sync(
      bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
      g_variant_new("(s)", kService), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
      nullptr, nullptr);
  if (reply == nullptr) return false;
  gboolean owned = FALSE;
  g_variant_get(reply, "(b)", &owned);
  g_variant_unref(reply);
  return owned != FALSE;
}

bool OnboardKeyboard::IsShown() {
  if (bus_ == nullptr) return false;
  GVariant* reply = g_dbus_connection_call_sync(
      bus_, kService, kObject, "org.freedesktop.DBus.Properties", "Get",
      g_variant_new("(ss)", kInterface, "Visible"), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
      kCallTimeoutMs, nullptr, nullptr);
  if (reply == nullptr) return false;
  GVariant* value = nullptr;
  g_variant_get(reply, "(v)", &value);
  const bool shown = value != nullptr && g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) &&
                     g_variant_get_boolean(value);
  if (value != nullptr) g_variant_unref(value);
  g_variant_unref(reply);
  return shown;
}

void OnboardKeyboard::Call(const char* method) {
  if (bus_ == nullptr) return;
  GVariant* reply = g_dbus_connection_call_sync(bus_, kService, kObject, kInterface, method, nullptr, nullptr,
                                                G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr,
                                                nullptr);
  if (reply != nullptr) g_variant_unref(reply);
}

void OnboardKeyboard::Show() { Call("Show"); }

void OnboardKeyboard::Hide() { Call("Hide"); }

}  // namespace platform
