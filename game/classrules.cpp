#include "classrules.h"

#include "classsession.h"
#include "journalfiles.h"

std::unique_ptr<GameRules> MakeClassRules(const QUrl &server, const QString &programFolder, const RulesHooks &hooks)
{
    ClassSessionOptions options;
    options.server = server;
    options.programFolder = programFolder;
    options.machine = ThisMachineName();
    auto session = std::make_unique<ClassSession>(options);
    session->onWaiting = hooks.waiting;
    session->onGone = hooks.gone;
    return session;
}
