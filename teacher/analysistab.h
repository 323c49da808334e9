#pragma once
// The tab «Анализ» wired into the workbench: it reads the journals of the program folder, asks
// the teacher for more, writes its CSV where the teacher says, and carries accepted level moves
// into the folder's own bank of the lesson, open in the editor, as undo steps, never saving them
// itself.

class AnalysisView;
class TeacherPrompts;
class TeacherWindow;
class QString;

/// Adds the tab to the window, reading the journals of folder (the program folder, ending in "/").
AnalysisView *AddAnalysisTab(TeacherWindow *window, const QString &folder, TeacherPrompts *prompts);
