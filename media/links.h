#pragma once
// Web and mail links handed to the desktop: the home page and the letter to the author.

#include <QString>
#include <QUrl>

#include <functional>

/// Hands a URL to whatever opens links; true when it was taken.
using LinkOpener = std::function<bool(const QUrl &)>;

/// Opens target with the desktop's program for it. A failure is ignored and shows nothing:
/// the game goes on as if the link had never been asked for.
void OpenLink(const QString &target);

/// The home page of the program.
void OpenHomePage();
/// A new letter to the author, subject filled in.
void WriteToAuthor();

/// Replaces the link opener (QDesktopServices::openUrl by default) and returns the one it
/// replaced; an empty opener restores the default. For tests, so no browser ever starts.
LinkOpener SetLinkOpener(LinkOpener opener);
