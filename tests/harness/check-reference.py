#!/usr/bin/env python3
"""Checks the generated object reference in a real browser: headless Chromium
loads the page from disk, takes a screenshot and hands back the DOM it built.
Every object class of the IDL must have its section, every class of the
README's object reference its example, and every link of the page must
resolve to an element of the page.

usage: check-reference.py <Zunda-reference.html> <Zunda.idl> <README.md> <screenshot.png>
"""
import os
import re
import subprocess
import sys
import tempfile
from html.parser import HTMLParser


class Dom(HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.links, self.sections = set(), [], {}
        self.current = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if 'id' in a:
            self.ids.add(a['id'])
        if tag == 'a' and 'href' in a:
            self.links.append(a['href'])
        if tag == 'section' and 'id' in a:
            self.current = a['id']
            self.sections[self.current] = ''

    def handle_endtag(self, tag):
        if tag == 'section':
            self.current = None

    def handle_data(self, data):
        if self.current:
            self.sections[self.current] += data


def chromium(args, profile):
    cmd = ['chromium', '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
           f'--user-data-dir={profile}'] + args
    return subprocess.run(cmd, capture_output=True, text=True, timeout=180)


def main():
    page, idl, readme, shot = sys.argv[1:5]
    url = 'file://' + os.path.abspath(page)
    failures = []
    with tempfile.TemporaryDirectory() as profile:
        r = chromium([f'--screenshot={os.path.abspath(shot)}', '--window-size=1280,2000', url], profile)
        if not os.path.exists(shot) or os.path.getsize(shot) < 10000:
            failures.append(f'no screenshot taken ({r.returncode}: {r.stderr.strip()[-300:]})')
        r = chromium(['--dump-dom', url], profile)
    dom = Dom()
    dom.feed(r.stdout)
    if not dom.ids:
        failures.append('the browser returned no document')
    classes = re.findall(r'\]\s*coclass\s+(\w+)', open(idl, encoding='utf-8').read())
    for c in classes:
        if f'coclass-{c}' not in dom.sections:
            failures.append(f'no section for object class {c}')
    documented = re.findall(r'^\|\s*`Zunda\.(\w+)`', open(readme, encoding='utf-8').read(), re.M)
    for c in documented:
        if 'Example' not in dom.sections.get(f'coclass-{c}', ''):
            failures.append(f'no example in the section of {c}')
    for href in dom.links:
        if href.startswith('#') and href[1:] not in dom.ids:
            failures.append(f'link {href} resolves to nothing')
        elif not href.startswith('#'):
            failures.append(f'link {href} leaves the page')
    for f in failures:
        print('FAILED: ' + f)
    print(f'reference: {len(classes)} object classes, {len(documented)} examples, '
          f'{len(dom.links)} links checked; screenshot {shot}')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
