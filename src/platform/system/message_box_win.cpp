#include "platform/system/message_box.h"

namespace tarvex::platform {

int SystemMessageBox(const MessageBoxRequest& request) {
    return ::MessageBoxW(request.owner, request.text.c_str(), request.caption.c_str(),
                         request.style);
}

}  // namespace tarvex::platform
