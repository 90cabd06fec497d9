#!/usr/bin/env python3
"""Renders the object reference of Zunda as one HTML page from the JSON dump
of the compiled type library (tools/tlbdump.cpp) and the README (the
examples of the object reference table and the error convention).

usage: make-reference.py typelib.json README.md out.html
"""
import html
import json
import re
import sys

KIND_ORDER = [
    ('coclass', 'Object classes'),
    ('dual', 'Dual interfaces (late- and early-bound)'),
    ('interface', 'Vtable-only interfaces (early-bound)'),
    ('dispinterface', 'Event interfaces'),
    ('enum', 'Enumerations'),
    ('record', 'Records'),
    ('alias', 'Aliases'),
]


def anchor(kind, name):
    return f'{kind}-{name}'


def inline_markdown(text):
    """The README's inline markup: `code`, **bold**; everything else escaped."""
    parts = re.split(r'(`[^`]*`)', text)
    out = []
    for p in parts:
        if p.startswith('`') and p.endswith('`') and len(p) >= 2:
            out.append('<code>' + html.escape(p[1:-1]) + '</code>')
        else:
            e = html.escape(p)
            e = re.sub(r'\*\*([^*]+)\*\*', r'<strong>\1</strong>', e)
            out.append(e)
    return ''.join(out)


def readme_examples(readme):
    """Object name -> (what it does, example) from the README's reference table."""
    examples = {}
    for line in readme.splitlines():
        m = re.match(r'^\|\s*`Zunda\.(\w+)`\s*\|(.*)\|(.*)\|\s*$', line)
        if m:
            examples[m.group(1)] = (m.group(2).strip(), m.group(3).strip())
    return examples


def readme_section(readme, heading):
    """The bullet list under a '## heading' of the README, as HTML."""
    lines = readme.splitlines()
    out, inside, item = [], False, None
    for line in lines:
        if line.startswith('## '):
            if inside:
                break
            inside = line[3:].strip() == heading
            continue
        if not inside:
            continue
        if line.startswith('- '):
            if item is not None:
                out.append(item)
            item = line[2:].strip()
        elif line.startswith('  ') and item is not None:
            item += ' ' + line.strip()
        elif line.strip() and item is None:
            out.append(line.strip())
    if item is not None:
        out.append(item)
    return '<ul>' + ''.join('<li>' + inline_markdown(i) + '</li>' for i in out) + '</ul>' if out else ''


def example_code(example):
    """The example cell: text in backticks is code, a leading 'C++:' is kept as a label."""
    label = ''
    m = re.match(r'^(C\+\+|JScript|VBScript):\s*(.*)$', example)
    if m:
        label, example = m.group(1), m.group(2)
    code = ' '.join(re.findall(r'`([^`]*)`', example)) or example
    lang = label or 'JScript'
    return f'<p class="lang">{html.escape(lang)}</p><pre>{html.escape(code)}</pre>'


class Reference:
    def __init__(self, lib, readme):
        self.lib = lib
        self.types = lib['types']
        self.by_name = {}
        for t in self.types:
            # An alias emitted twice keeps its first (GUID-carrying) entry.
            self.by_name.setdefault(t['name'], t)
        self.examples = readme_examples(readme)
        self.readme = readme

    def type_link(self, text):
        """Links every library type named in a type text such as 'IMxStringlist**'."""
        def repl(m):
            name = m.group(0)
            t = self.by_name.get(name)
            if t is None:
                return html.escape(name)
            return f'<a href="#{anchor(t["kind"], name)}">{html.escape(name)}</a>'
        return re.sub(r'[A-Za-z_]\w*', repl, text)

    def params(self, f):
        items = []
        for p in f['params']:
            flags = p['flags']
            if p['hasDefault']:
                flags = (flags + ', ' if flags else '') + 'defaultvalue(' + p['default'] + ')'
            items.append(f'<span class="flags">[{html.escape(flags)}]</span> '
                         f'{self.type_link(p["type"])} <var>{html.escape(p["name"])}</var>')
        return ',<br>'.join(items) if items else '<span class="none">none</span>'

    def member_table(self, t):
        fs = t.get('functions', [])
        vs = [v for v in t.get('variables', []) if 'dispid' in v]
        if not fs and not vs:
            return '<p class="none">No members of its own.</p>'
        rows = []
        for f in sorted(fs, key=lambda f: (f['dispid'] if f['dispid'] >= 0 else 1 << 40, f['invoke'])):
            dispid = f['dispid'] if f['dispid'] >= 0 else f['dispid'] & 0xFFFFFFFF
            rows.append('<tr>'
                        f'<td class="num">{dispid}</td>'
                        f'<td><code>{html.escape(f["name"])}</code></td>'
                        f'<td>{html.escape(f["invoke"])}</td>'
                        f'<td>{self.params(f)}</td>'
                        f'<td>{self.type_link(f["result"])}</td>'
                        f'<td>{html.escape(f["help"])}</td></tr>')
        for v in vs:
            rows.append('<tr>'
                        f'<td class="num">{v["dispid"]}</td><td><code>{html.escape(v["name"])}</code></td>'
                        f'<td>property</td><td></td><td>{self.type_link(v["type"])}</td>'
                        f'<td>{html.escape(v["help"])}</td></tr>')
        return ('<table><thead><tr><th>DISPID</th><th>Member</th><th>Kind</th><th>Parameters</th>'
                '<th>Result</th><th>Help string</th></tr></thead><tbody>' + ''.join(rows) + '</tbody></table>')

    def section(self, t):
        kind, name = t['kind'], t['name']
        out = [f'<section id="{anchor(kind, name)}"><h3>{html.escape(name)}</h3>']
        facts = []
        if t['help']:
            facts.append(('Help string', html.escape(t['help'])))
        if t['guid']:
            facts.append(('CLSID' if kind == 'coclass' else 'GUID', f'<code>{html.escape(t["guid"])}</code>'))
        if kind == 'coclass':
            facts.append(('ProgID', f'<code>{html.escape(self.lib["name"])}.{html.escape(name)}</code>'))
            for i in t.get('implements', []):
                role = 'Events (source)' if i['source'] else 'Interface'
                facts.append((role, self.type_link(i['name'])))
        elif kind in ('interface', 'dispinterface'):
            if t.get('dual'):
                facts.append(('Binding', 'dual: late-bound through IDispatch and early-bound through its vtable'))
            elif kind == 'interface':
                facts.append(('Binding', 'vtable only (no IDispatch): for early-bound clients'))
            for i in t.get('implements', []):
                facts.append(('Derives from', self.type_link(i['name'])))
        elif kind == 'alias':
            facts.append(('Alias of', self.type_link(t.get('aliasOf', ''))))
        if facts:
            out.append('<dl>' + ''.join(f'<dt>{k}</dt><dd>{v}</dd>' for k, v in facts) + '</dl>')
        if kind == 'coclass':
            what, example = self.examples.get(name, ('', ''))
            if what:
                out.append(f'<p>{inline_markdown(what)}</p>')
            if example:
                out.append('<h4>Example</h4>' + example_code(example))
        elif kind in ('interface', 'dispinterface'):
            out.append(self.member_table(t))
        elif kind == 'enum':
            rows = ''.join(f'<tr><td><code>{html.escape(v["name"])}</code></td><td class="num">'
                           f'{html.escape(v.get("value", ""))}</td><td>{html.escape(v["help"])}</td></tr>'
                           for v in t['variables'])
            out.append('<table><thead><tr><th>Name</th><th>Value</th><th>Help string</th></tr></thead>'
                       f'<tbody>{rows}</tbody></table>')
        elif kind == 'record':
            rows = ''.join(f'<tr><td><code>{html.escape(v["name"])}</code></td><td>{self.type_link(v["type"])}'
                           f'</td><td>{html.escape(v["help"])}</td></tr>' for v in t['variables'])
            out.append('<table><thead><tr><th>Field</th><th>Type</th><th>Help string</th></tr></thead>'
                       f'<tbody>{rows}</tbody></table>')
        out.append('<p class="top"><a href="#contents">contents</a></p></section>')
        return '\n'.join(out)

    def render(self):
        lib = self.lib
        groups = []
        seen = set()
        for kind, title in KIND_ORDER:
            members = []
            for t in self.types:
                key = (t['kind'], t['name'])
                group = 'dual' if t['kind'] == 'dispinterface' and t.get('dual') else t['kind']
                if group == kind and key not in seen:
                    seen.add(key)
                    members.append(t)
            if members:
                groups.append((kind, title, members))
        toc = ['<nav id="contents"><h2>Contents</h2><ul>',
               '<li><a href="#conventions">Error convention</a></li>']
        for kind, title, members in groups:
            toc.append(f'<li><a href="#group-{kind}">{title}</a><ul class="names">')
            toc.extend(f'<li><a href="#{anchor(t["kind"], t["name"])}">{html.escape(t["name"])}</a></li>'
                       for t in members)
            toc.append('</ul></li>')
        toc.append('</ul></nav>')
        body = ['<section id="conventions"><h2>Error convention</h2>',
                readme_section(self.readme, 'Conventions every object follows'), '</section>']
        for kind, title, members in groups:
            body.append(f'<h2 id="group-{kind}">{title}</h2>')
            body.extend(self.section(t) for t in members)
        title = f'{lib["name"]}: object reference'
        return f'''<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>{html.escape(title)}</title>
<style>
body {{ font-family: sans-serif; margin: 2em auto; max-width: 70em; line-height: 1.4; color: #222; }}
h1 {{ border-bottom: 2px solid #468; }} h2 {{ border-bottom: 1px solid #aac; margin-top: 2em; }}
h3 {{ margin-top: 1.5em; color: #246; }}
table {{ border-collapse: collapse; width: 100%; font-size: 90%; }}
th, td {{ border: 1px solid #ccd; padding: 0.2em 0.4em; vertical-align: top; text-align: left; }}
th {{ background: #eef; }} td.num {{ text-align: right; font-family: monospace; }}
dl {{ display: grid; grid-template-columns: max-content auto; gap: 0.1em 1em; }} dt {{ font-weight: bold; }}
pre {{ background: #f4f4f8; padding: 0.5em; overflow-x: auto; }} .lang {{ margin-bottom: 0; color: #666; }}
.flags {{ color: #666; font-size: 85%; }} .none {{ color: #888; }} .top {{ font-size: 80%; }}
nav ul.names {{ columns: 3; }}
</style></head><body>
<h1>{html.escape(title)}</h1>
<p>{html.escape(lib["help"])}, version {html.escape(lib["version"])}, type library
<code>{html.escape(lib["guid"])}</code>. Generated from the compiled type library; every object class is created
by its ProgID <code>{html.escape(lib["name"])}.&lt;ObjectClass&gt;</code> or its CLSID.</p>
{''.join(toc)}
{''.join(body)}
</body></html>
'''


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding='utf-8') as f:
        lib = json.load(f)
    with open(sys.argv[2], encoding='utf-8') as f:
        readme = f.read()
    with open(sys.argv[3], 'w', encoding='utf-8') as f:
        f.write(Reference(lib, readme).render())


if __name__ == '__main__':
    main()
