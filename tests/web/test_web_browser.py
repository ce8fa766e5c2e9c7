#!/usr/bin/env python3
"""The phone pages in a real browser: Chromium driven through its WebDriver by Selenium,
against hw_web_testserver (a small register served on free ports). What a page saved is read
back from the database through the test server, not from a page."""
import datetime
import http.client
import json
import os
import subprocess
import sys
import unittest

from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException, WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

SERVER = None


class Register:
    """One test server with a fresh register."""

    def __init__(self):
        self.proc = subprocess.Popen([SERVER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=sys.stderr, text=True, encoding="utf-8")
        line = self.proc.stdout.readline()
        if not line.startswith("PORT "):
            raise RuntimeError("test server did not start: %r" % line)
        _, https, http_ = line.split()
        self.port, self.http_port = int(https), int(http_)
        self.base = "https://127.0.0.1:%d" % self.port

    def sql(self, text):
        self.proc.stdin.write("SQL " + text + "\n")
        self.proc.stdin.flush()
        rows = []
        while True:
            line = self.proc.stdout.readline()
            if line.startswith("ROW "):
                rows.append(json.loads(line[4:]))
            elif line.startswith("END"):
                return rows
            else:
                raise RuntimeError("SQL failed: %r" % line)

    def ladder(self, nr, columns):
        rows = self.sql("SELECT %s FROM LT_LEIT WHERE Nr = %d" % (columns, nr))
        return rows[0]

    def inspections(self, nr, columns):
        lid = self.ladder(nr, "ID")[0]
        return self.sql("SELECT %s FROM LT_PRUEF WHERE LT_ID = %s ORDER BY ID" % (columns, lid))

    def close(self):
        try:
            self.proc.stdin.write("QUIT\n")
            self.proc.stdin.flush()
            self.proc.wait(20)
        except Exception:
            self.proc.kill()


def browser():
    o = webdriver.ChromeOptions()
    o.binary_location = "/usr/bin/chromium"
    for a in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
              "--ignore-certificate-errors", "--window-size=412,915", "--lang=de-DE"):
        o.add_argument(a)
    d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)
    d.implicitly_wait(10)
    return d


def submit(d, action):
    """Runs action (a click or a script that submits) and waits for the next page."""
    old = d.find_element(By.TAG_NAME, "html")
    action()
    WebDriverWait(d, 30).until(lambda _: page_replaced(old))


def page_replaced(old):
    # Chromium reports a node of a page being replaced either as stale or, for a moment, as
    # "does not belong to the document"; both mean the old page is gone.
    try:
        old.is_enabled()
        return False
    except StaleElementReferenceException:
        return True
    except WebDriverException as e:
        if "does not belong to the document" in str(e):
            return True
        raise


def plus_years(d, years):
    try:
        return d.replace(year=d.year + years)
    except ValueError:   # 29 February
        return d.replace(year=d.year + years, day=28)


class WebTest(unittest.TestCase):
    def setUp(self):
        self.reg = Register()
        self.drivers = []

    def tearDown(self):
        for d in self.drivers:
            d.quit()
        self.reg.close()

    def browser(self):
        d = browser()
        self.drivers.append(d)
        return d

    def login(self, d, name, password, target="/suche"):
        d.get(self.reg.base + target)
        self.assertIn("/anmelden", d.current_url)
        d.find_element(By.ID, "name").send_keys(name)
        d.find_element(By.ID, "passwort").send_keys(password)
        submit(d, d.find_element(By.ID, "anmelden").click)

    def text(self, d):
        return d.find_element(By.TAG_NAME, "body").text

    def test_inspection_from_label_to_database(self):
        d = self.browser()
        self.login(d, "Meier", "geheim1", "/l/101")
        self.assertTrue(d.current_url.endswith("/l/101"), d.current_url)
        self.assertEqual(d.find_element(By.ID, "kurzbez").text, "Stehleiter Lager")
        body = self.text(d)
        self.assertIn("Werk Nord - Lager", body)
        self.assertIn("überfällig", d.find_element(By.ID, "termin").text)
        self.assertIn("01.01.2019", d.find_element(By.ID, "pruefungen").text)

        cookie = d.get_cookie("hw_sitzung")
        self.assertTrue(cookie["httpOnly"])
        self.assertTrue(cookie["secure"])
        self.assertEqual(cookie["sameSite"], "Strict")
        self.assertIn("expiry", cookie)

        submit(d, d.find_element(By.ID, "erfassen").click)
        today = datetime.date.today()
        self.assertEqual(d.find_element(By.ID, "datum").get_attribute("value"), today.isoformat())
        form = self.text(d)
        for caption in ("Material", "Holme", "Verformung", "Spreizsicherung", "Beschädigung / Korrision",
                        "Aufkleber lesbar"):
            self.assertIn(caption, form)
        # A defect's remark field shows once "Mangel" is chosen.
        self.assertFalse(d.find_element(By.ID, "b_Ho_Verform").is_displayed())
        for k in ("k_Material_ok", "k_Ho_Verform_mangel", "k_SprS_Beschaed_ok", "k_Sonstiges_ok"):
            d.find_element(By.ID, k).click()
        self.assertTrue(d.find_element(By.ID, "b_Ho_Verform").is_displayed())
        self.assertFalse(d.find_element(By.ID, "b_Material").is_displayed())
        d.find_element(By.ID, "b_Ho_Verform").send_keys("Holm unten verbogen")
        d.find_element(By.ID, "bemerkung").send_keys("Gewährleistung prüfen\n<script>alert(2)</script> & Öl")
        submit(d, d.find_element(By.ID, "speichern").click)
        self.assertIn("gespeichert", d.find_element(By.ID, "gespeichert").text)

        rows = self.reg.inspections(101, "Datum, PruefungArt_ID, Pruefer_ID, PrMaterial, PrErlMaterial, "
                                         "PrHo_Verform, PrHo_ErlVerform, PrSprS_ErlBeschaed, PrErlSonstiges, "
                                         "PrSchuhe, Bemerkung")
        self.assertEqual(len(rows), 2)
        new = rows[-1]
        pruefer = self.reg.sql("SELECT ID FROM PRUEFER WHERE KurzBez = 'Meier'")[0][0]
        remark = "Holme – Verformung: Holm unten verbogen\nGewährleistung prüfen\n<script>alert(2)</script> & Öl"
        self.assertEqual(new, [today.isoformat(), "1", pruefer, "1", "1", "1", "0", "1", "1", "", remark])
        # The ladder page shows the remark as text, shortened to one line.
        shown = d.find_element(By.ID, "pruefungen").text
        self.assertIn("Holme – Verformung: Holm unten verbogen Gewährleistung prüfen <script>alert(2)</script> & Öl",
                      shown)
        self.assertEqual(d.find_elements(By.CSS_SELECTOR, "body script"), [])
        # The due date as "Neu.-Termin" computes it: the latest inspection plus one year.
        due = plus_years(today, 1)
        self.assertEqual(self.reg.ladder(101, "PruefTermin, LAendName"), [due.isoformat(), "Meier"])
        self.assertIn(due.strftime("%d.%m.%Y"), d.find_element(By.ID, "termin").text)
        self.assertIn("1 Mangel", d.find_element(By.ID, "pruefungen").text)

    def test_user_without_inspector_record_is_refused(self):
        d = self.browser()
        self.login(d, "Neuling", "neu123", "/l/103")
        self.assertIn("keinen Prüfer", d.find_element(By.ID, "ohnePruefer").text)
        submit(d, d.find_element(By.ID, "erfassen").click)
        self.assertIn("Interne / externe Prüfer", d.find_element(By.ID, "ohnePruefer").text)
        d.find_element(By.ID, "k_Schuhe_mangel").click()
        d.find_element(By.ID, "b_Schuhe").send_keys("fehlt")
        submit(d, d.find_element(By.ID, "speichern").click)
        self.assertIn("„Neuling“ als „Kurzbez.“", d.find_element(By.ID, "meldung").text)
        # Nothing written: no inspection, the due date and change stamp as they were.
        self.assertEqual(self.reg.inspections(103, "ID"), [])
        self.assertEqual(self.reg.ladder(103, "PruefTermin, LAendName"), ["2021-03-01", ""])
        # What was entered is still there to save once the inspector exists.
        self.assertEqual(d.find_element(By.ID, "b_Schuhe").get_attribute("value"), "fehlt")

    def test_wrong_passwords_are_throttled(self):
        d = self.browser()
        for _ in range(5):
            self.login(d, "Meier", "falsch")
            self.assertIn("Benutzer oder Passwort ist falsch", self.text(d))
        # Now even the right password is not checked for a while.
        self.login(d, "Meier", "geheim1")
        self.assertIn("Zu viele falsche Anmeldungen", self.text(d))
        self.assertIn("/anmelden", d.current_url)
        self.assertIsNone(d.get_cookie("hw_sitzung"))

    def test_locked_user_and_user_without_insert_right(self):
        d = self.browser()
        self.login(d, "Gesperrt", "zu123")
        self.assertIn("Benutzer gesperrt", self.text(d))
        self.assertIsNone(d.get_cookie("hw_sitzung"))

        self.login(d, "Leser", "lesen1", "/l/101")
        self.assertIn("keine Berechtigung", self.text(d))
        self.assertEqual(d.find_elements(By.ID, "erfassen"), [])
        d.get(self.reg.base + "/l/101/pruefen")
        self.assertIn("Keine Berechtigung", self.text(d))
        # Even a form with the session's own token is refused by the server.
        token = d.find_element(By.NAME, "token").get_attribute("value")
        submit(d, lambda: d.execute_script("""
            const f = document.createElement('form'); f.method = 'post'; f.action = '/l/101/pruefen';
            for (const [k, v] of [['token', arguments[0]], ['datum', '2026-01-05'], ['stand', 'x'],
                                  ['k_Material', 'ok'], ['k_Ho_Verform', 'ok'], ['k_SprS_Beschaed', 'ok'],
                                  ['k_Sonstiges', 'ok']]) {
                const i = document.createElement('input'); i.type = 'hidden'; i.name = k; i.value = v;
                f.appendChild(i);
            }
            document.body.appendChild(f); f.submit();""", token))
        self.assertIn("Keine Berechtigung", self.text(d))
        self.assertEqual(len(self.reg.inspections(101, "ID")), 1)

    def test_form_without_token_is_refused(self):
        d = self.browser()
        self.login(d, "Meier", "geheim1", "/l/103/pruefen")
        d.find_element(By.ID, "k_Schuhe_ok").click()
        for value in ("", "gefälscht"):
            d.execute_script("document.querySelector('form[action$=\"/pruefen\"] input[name=token]').value = "
                             "arguments[0];", value)
            submit(d, d.find_element(By.ID, "speichern").click)
            self.assertIn("Formular ungültig", self.text(d))
            self.assertEqual(self.reg.inspections(103, "ID"), [])
            d.back()
        self.assertEqual(self.reg.ladder(103, "PruefTermin"), ["2021-03-01"])

    def test_script_in_short_description_is_text(self):
        d = self.browser()
        self.login(d, "Meier", "geheim1", "/l/102")
        self.assertEqual(d.find_element(By.ID, "kurzbez").text, "<script>alert(1)</script> & Co")
        self.assertEqual(d.find_elements(By.CSS_SELECTOR, "body script"), [])
        d.get(self.reg.base + "/suche?q=script")
        self.assertIn("<script>alert(1)</script> & Co", d.find_element(By.ID, "treffer").text)
        self.assertEqual(d.find_elements(By.CSS_SELECTOR, "body script"), [])
        d.get(self.reg.base + "/l/%3Cscript%3Ex%3C%2Fscript%3E")
        self.assertIn("Unbekanntes Etikett", self.text(d))
        self.assertIn("<script>x</script>", self.text(d))
        self.assertEqual(d.find_elements(By.CSS_SELECTOR, "body script"), [])

    def test_two_phones_same_ladder_one_wins(self):
        a, b = self.browser(), self.browser()
        self.login(a, "Meier", "geheim1", "/l/103/pruefen")
        self.login(b, "Schulz", "geheim2", "/l/103/pruefen")
        for d in (a, b):
            d.find_element(By.ID, "k_Schuhe_ok").click()
        submit(a, a.find_element(By.ID, "speichern").click)
        self.assertIn("gespeichert", a.find_element(By.ID, "gespeichert").text)
        submit(b, b.find_element(By.ID, "speichern").click)
        self.assertIn("inzwischen geändert", b.find_element(By.ID, "meldung").text)
        rows = self.reg.inspections(103, "Datum, PrErlSchuhe")
        self.assertEqual(len(rows), 1)
        # Half a year after today, from the one inspection that was saved.
        self.assertEqual(self.reg.ladder(103, "LAendName"), ["Meier"])

    def test_unknown_label_search_and_redirect(self):
        d = self.browser()
        self.login(d, "Meier", "geheim1", "/l/99999")
        self.assertIn("Unbekanntes Etikett", self.text(d))
        self.assertIn("99999", self.text(d))
        d.get(self.reg.base + "/suche?q=Podest")
        self.assertIn("103", d.find_element(By.ID, "treffer").text)
        submit(d, d.find_element(By.LINK_TEXT, "103").click)
        self.assertEqual(d.find_element(By.ID, "kurzbez").text, "Podest Halle 3")
        # Plain HTTP only redirects to HTTPS.
        c = http.client.HTTPConnection("127.0.0.1", self.reg.http_port, timeout=10)
        c.request("GET", "/l/101?x=1", headers={"Host": "127.0.0.1:%d" % self.reg.http_port})
        r = c.getresponse()
        self.assertEqual(r.status, 301)
        self.assertEqual(r.getheader("Location"), "https://127.0.0.1:%d/l/101?x=1" % self.reg.port)
        self.assertNotIn(b"Leiter", r.read())


if __name__ == "__main__":
    SERVER = sys.argv.pop(1)
    unittest.main(verbosity=2)
