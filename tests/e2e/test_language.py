"""Japanese throughout, under a locale that is not Japanese (the session module starts the program
with LANG=C.UTF-8): Qt's own buttons and the browser engine's own pages."""

import re
import unittest

from e2e import PING, DesktopTestCase, s


def page_texts(program):
    """Every text and name in the program's tree, web pages included."""
    texts = []
    for a in s.walk(program.app()):
        texts.append(a.name or "")
        try:
            texts.append(s.text_of(a))
        except Exception:
            pass  # no text interface
    return "\n".join(texts)


class JapaneseThroughout(DesktopTestCase):
    def test_save_question_of_the_settings_dialog_has_japanese_buttons(self):
        p = self.program()
        p.enable_recording()
        self.start(p, self.settings(windows=[], rec_folder=f"{p.folder}/"))
        p.press("設定")
        dialog = s.wait_until(lambda: p.windows("^設定$"), 30, what="the settings dialog")[0]
        # Closed through its close box, as a person does: the question comes up.
        self.desktop.xdotool("windowactivate", "--sync", dialog)
        self.desktop.xdotool("key", "--clearmodifiers", "alt+F4")
        box = p.message_box()
        buttons = sorted(b.name for b in p.find_all("push button", within=box))
        # As Qt's Japanese translation spells them, with the mnemonic letter.
        self.assertEqual(buttons, sorted(["はい(Y)", "いいえ(N)", "キャンセル"]))
        self.assertIn("保存しますか？", p.answer("キャンセル"))
        # Cancel keeps the dialog open.
        self.assertTrue(p.windows("^設定$"))

    def test_error_page_of_a_refused_connection_is_japanese(self):
        server = s.DemoServer()
        server.start()
        self.addCleanup(server.stop)
        p = self.program()
        since = self.now()
        self.start(p, s.settings_file(server.url1(), server.url2(), windows=[(2, 0, 0, 0, 7080, 4000)]))
        server.wait_for(PING, since=since, timeout=60)
        server.stop()
        p.press("再接続")
        texts = s.wait_until(lambda: (lambda t: t if "アクセスできません" in t else None)(page_texts(p)), 60,
                             what="the engine's error page in Japanese")
        self.assertNotRegex(texts, re.compile(r"site can.t be reached|ERR_CONNECTION_REFUSED.*Try", re.S))


if __name__ == "__main__":
    unittest.main()
