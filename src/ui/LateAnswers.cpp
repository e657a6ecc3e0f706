// SPDX-License-Identifier: MIT
#include "ui/LateAnswers.h"

namespace trelmark::ui {

LateAnswers::LateAnswers(QObject* parent) : QObject(parent), m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->receiver = this;
}

LateAnswers::~LateAnswers() {
    const std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->receiver = nullptr;
}

void LateAnswers::deliver(Mailbox& mailbox, std::function<void()> delivery) {
    // Under the lock the receiver cannot be destroyed; once posted, its destruction drops the event.
    const std::lock_guard lock(mailbox.mutex);
    if (mailbox.receiver != nullptr) {
        QMetaObject::invokeMethod(mailbox.receiver, std::move(delivery), Qt::QueuedConnection);
    }
}

}  // namespace trelmark::ui
