#pragma once
// The files a browser fetches besides the API: the folder's clips, the built-in pictures (the
// presenter replaced by the teacher's own from FOTO/), a question's illustration. Only names
// the game itself uses are served, so no request can reach another file of the folder.

#include <QByteArray>
#include <QString>

/// A file to send: its bytes and their type; an empty type when there is no such file.
struct ServedFile {
    QByteArray type;
    QByteArray bytes;
};

/// The clip "<name>.wav" (any letter case) when name is one of the game's clips: the program
/// folder's own, else the one installed with the program.
ServedFile ClipFile(const QString &folder, const QString &fileName);

/// The built-in picture name ("dr1".."dr14", "vedok", "ways", "game", with or without ".png");
/// "vedok" is the teacher's presenter from FOTO/ when tallory.ini names one that is there.
ServedFile PictureFile(const QString &folder, const QString &fileName);

/// A file of the browser face ("index.html", "game.js", ...) from the program's resources.
ServedFile WebFile(const QString &fileName);

/// A question's illustration at path when it is a picture file inside folder.
ServedFile IllustrationFile(const QString &folder, const QString &path);
