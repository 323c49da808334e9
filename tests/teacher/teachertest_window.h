#pragma once
// A workbench window on a program folder of its own, shown and active so that its keys work.

#include "bankdocument.h"
#include "bankeditor.h"
#include "bankfile.h"
#include "teachertest.h"
#include "teacherwindow.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override { open(); }

    void open()
    {
        window = std::make_unique<TeacherWindow>(folder, &prompts);
        window->show();
        QApplication::setActiveWindow(window.get());
    }

    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(window.get(), static_cast<Qt::Key>(k), mods);
    }

    /// Saves a bank into the folder and opens it in the window.
    QString openSaved(const EditorBank &bank, const char *name = "lesson.faq")
    {
        const QString path = folder + QString::fromLatin1(name);
        EXPECT_TRUE(SaveFaq(path, bank).ok());
        EXPECT_TRUE(window->openBank(path));
        return path;
    }

    BankDocument &doc() const { return *window->document(); }
    BankEditor &editor() const { return *window->editor(); }

    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    FakePrompts prompts;
    std::unique_ptr<TeacherWindow> window;
};
