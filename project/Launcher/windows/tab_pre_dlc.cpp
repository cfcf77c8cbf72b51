#include "project/Launcher/windows/tab_pre_dlc.h"

#include "project/Launcher/core/launcher_messages.h"

namespace MainComponents {

void TabPreDlc::ReportStateToGame() {
  context_.store->PostToGameWindows(kMsgPreDownloadActionReply, 0, GameStateCode());
}

void TabPreDlc::ShowOccupiedMessage() {
  MessageBoxRequest notice;
  notice.titleKey = "STRING_ERROR_NOTICE";
  notice.contentKey = "STRING_ERROR_DLC_OCCUPIED";
  notice.secondButtonKey = "STRING_CONFIRM";
  context_.store->ShowMessageBox(std::move(notice));
}

}  // namespace MainComponents
