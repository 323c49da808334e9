"""A program folder of the test's own for the games played through AT-SPI and with Orca: the
demo folder's files, and a lesson whose right answers a client can recognise by their text."""
import os
import shutil
import subprocess
import tempfile


def make_lesson_folder(demo, bank_tool, lesson, question, right, wrong):
    """Copies the demo folder, packs a bank of fifteen levels of two questions each (the texts
    given as formats of the level and the question's number), names it under `lesson` in the
    settings, and turns the sound off. Returns (folder, config folder for XDG_CONFIG_HOME)."""
    folder = tempfile.mkdtemp(prefix='tallory-reader-')
    for name in os.listdir(demo):
        src = os.path.join(demo, name)
        if os.path.isdir(src):
            shutil.copytree(src, os.path.join(folder, name))
        elif not name.startswith('tallory'):
            shutil.copy(src, folder)
    shutil.copy(os.path.join(demo, 'tallory.ini'), folder)
    lines = []
    for level in range(1, 16):
        lines.append('[%d]' % level)
        for i in range(2):
            fields = [question % (level, i), right % level] + [w % level for w in wrong]
            lines.append('|'.join(fields) + '|')
    with open(os.path.join(folder, 'test.txt'), 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')
    subprocess.run([bank_tool, 'pack', os.path.join(folder, 'test.txt'), os.path.join(folder, 'test.faq')], check=True)
    with open(os.path.join(folder, 'tallory.ini'), 'ab') as f:
        f.write(('\r\n[%s]\r\nВопросник=test.faq\r\n' % lesson).encode('cp1251'))
    config = os.path.join(folder, 'config')
    os.makedirs(config)
    # Sound off, as the player's own switch leaves it: the clips' waits are not what is tested.
    with open(os.path.join(config, 'Quarnel.ini'), 'wb') as f:
        f.write('[OTallory]\r\nЗвук вкл.=0\r\n'.encode('cp1251'))
    return folder, config
