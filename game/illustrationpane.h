#pragma once
// The illustration pane: a local picture is shown at once by a view of the pane's own; web
// addresses, pages and whatever that view cannot read go to a browser, created the first time
// one is needed, so that a game without them never pays for the browser engine.

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QWidget;

/// Sends a pane to an address in a browser of its own.
using IllustrationBrowser = std::function<void(QWidget *pane, const QString &address)>;

/// The file on this machine an address names (a path, or a "file:" address); empty for a web
/// address.
QString IllustrationFile(const QString &address);

/// The file a local picture address names (a path or a "file:" address of a BMP, PNG, JPEG
/// or GIF file, told by its suffix); empty for web addresses and other files.
QString LocalPicturePath(const QString &address);

/// The still picture at path, decoded no larger than what fits in bound (keeping its shape,
/// smoothly scaled, turned as its camera says); null when it cannot be read or it moves.
QImage ReadLocalPicture(const QString &path, QSize bound);

/// Shows address in the pane: a local picture in the pane's picture view, anything else with
/// browser, a missing file as a line saying so. The one that shows hides the others, and a
/// hidden page is left for a blank one.
void ShowIllustration(QWidget *pane, const QString &address, const IllustrationBrowser &browser);

/// Shows a short line of text in the pane in place of an illustration, and nothing to click.
void ShowIllustrationMessage(QWidget *pane, const QString &text);

/// Hides whatever the pane shows; a page is left for a blank one.
void HideIllustration(QWidget *pane);

/// Loads the program's browser module (by default the one beside the executable) with the
/// browser engine; an empty browser, and a warning, when it is missing.
IllustrationBrowser LoadIllustrationBrowser(const QString &module = QString());

/// ShowIllustration with the program's browser, loaded the first time a page needs it.
void BrowseIllustration(QWidget *pane, const QString &address);
