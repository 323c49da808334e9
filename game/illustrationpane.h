#pragma once
// The illustration pane: a browser created the first time a question carries an illustration,
// so that a game without pictures never pays for the browser engine.

class QString;
class QWidget;

/// Sends the pane to a local path or a web address, creating its browser on first use.
void BrowseIllustration(QWidget *pane, const QString &address);
