// The tab «Класс по сети» watching a class server it did not start: the school's service, or a
// room run from another machine. The server is only watched: leaving it stops nothing.

#include "classroomtab.h"

#include "classprocess.h"
#include "prompts.h"
#include "roomclient.h"
#include "roommodel.h"
#include "serverlogin.h"

#include <QGroupBox>
#include <QJsonArray>
#include <QJsonObject>

namespace {

const QString kCaption = QStringLiteral("Подключиться к серверу класса");

} // namespace

void ClassroomTab::attach()
{
    if (m_process->isRunning() || !m_attached.isEmpty() || m_probing)
        return;
    const std::optional<ServerLogin> login = AskServerLogin(m_prompts, this, m_loginAddress, m_loginKey);
    if (!login)
        return;
    // Nothing changes until the server has answered to this address and key.
    m_probing = true;
    updateButtons();
    const ServerLogin l = *login;
    m_client->probe(l.base, l.key, [this, l](const QString &problem, const QJsonObject &room) {
        m_probing = false;
        if (problem.isEmpty())
            attached(l.base, l.key, room);
        else
            m_prompts->showError(this, kCaption, problem);
        updateButtons();
    });
}

void ClassroomTab::attached(const QUrl &base, const QByteArray &key, const QJsonObject &room)
{
    m_attached = base;
    // The address students open is the server's own word: the teacher may reach it by another.
    m_attachedAddress = room.value(QStringLiteral("address")).toString();
    if (m_attachedAddress.isEmpty())
        m_attachedAddress = base.toString();
    QStringList lessons;
    for (const QJsonValue &lesson : room.value(QStringLiteral("lessons")).toArray())
        lessons.append(lesson.toString());
    m_attachedText = QStringLiteral("Подключено к серверу класса %1 (занятия: %2). «Отключиться» оставляет его "
                                    "работать.").arg(base.toString(), lessons.join(QStringLiteral(", ")));
    m_model->clear();
    m_model->update(room.value(QStringLiteral("students")).toArray());
    showAddress(m_attachedAddress);
    say(m_attachedText);
    m_client->watch(base, key);
}

void ClassroomTab::detach()
{
    if (m_attached.isEmpty())
        return;
    m_client->stopWatching();
    const QString left = m_attached.toString();
    m_attached.clear();
    m_attachedAddress.clear();
    clearAddress();
    if (m_model->rowCount() > 0)
        m_roomBox->setTitle(QStringLiteral("Ученики: отключено от сервера класса, здесь то, что было видно последним"));
    say(QStringLiteral("Отключено от сервера класса %1; он продолжает работать.").arg(left));
    updateButtons();
}
