// The VS Code grammar against the compiler's lexer: vscode-textmate with
// vscode-oniguruma tokenizes the examples, the test programs and a probe of
// the lexer's hard cases; every token `vornc tokens` reads must carry the
// scope of its class, and the grammar must be the one make_grammar.js writes.
// usage: node grammar.test.js VORNC ROOT
'use strict';
const assert = require('node:assert/strict');
const cp = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const vsctm = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const [vornc, root] = process.argv.slice(2);
const ext = path.join(root, 'editors', 'vscode');

// Token numbers (compiler/tokens.h) to the scope each class must get.
function expectedScope(token) {
  if (token >= 257 && token <= 275) return /^(storage\.type|keyword\.other|keyword\.control|support\.function\.builtin)\.vorn$/;
  if (token === 276) return /^variable\.other\.vorn$/;
  if (token === 293 || token === 294) return /^string\.quoted\.(single|double)\.vorn$/;
  if (token === 295 || token === 296) return /^constant\.numeric\.\w+\.vorn$/;
  return /^(keyword\.operator|punctuation)\.vorn$/;
}

const probe = [
  'WHILE While while whilex while_1 _while',
  'int a; a = 0x1F + 0X1f + $1f + 007 + 1.5;',
  "play(\"engine.wav\") x = 'a'; y = a<=b; z = !=",
  'x//y is a comment',
  'a /* b */ c',
  'key(Control, \'G\') { printstr("k") }',
].join('\n') + '\n';

async function main() {
  const r = cp.spawnSync(process.execPath, [path.join(ext, 'make_grammar.js'), '--check'], { encoding: 'utf8' });
  assert.equal(r.status, 0, r.stderr);

  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm')).buffer;
  await oniguruma.loadWASM(wasm);
  const registry = new vsctm.Registry({
    onigLib: Promise.resolve({ createOnigScanner: (p) => new oniguruma.OnigScanner(p),
                               createOnigString: (s) => new oniguruma.OnigString(s) }),
    loadGrammar: async () => vsctm.parseRawGrammar(
      fs.readFileSync(path.join(ext, 'syntaxes', 'vorn.tmLanguage.json'), 'utf8'), 'vorn.tmLanguage.json'),
  });
  const grammar = await registry.loadGrammar('source.vorn');

  const probePath = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'vorn-grammar-')), 'probe.vrn');
  fs.writeFileSync(probePath, probe);
  const files = [probePath,
    ...fs.readdirSync(path.join(root, 'examples')).map((f) => path.join(root, 'examples', f)),
    ...fs.readdirSync(path.join(root, 'tests', 'cli', 'programs')).map((f) => path.join(root, 'tests', 'cli', 'programs', f))]
    .filter((f) => f.endsWith('.vrn'));
  const keywordsSeen = new Set();
  let checked = 0;
  for (const file of files) {
    const lines = fs.readFileSync(file, 'latin1').split('\n').map((l) => l.replace(/\r$/, ''));
    // The grammar's scopes, per line: [start, end, innermost scope].
    let state = vsctm.INITIAL;
    const scoped = lines.map((line) => {
      const result = grammar.tokenizeLine(line, state);
      state = result.ruleStack;
      return result.tokens.map((t) => [t.startIndex, t.endIndex, t.scopes[t.scopes.length - 1]]);
    });
    const preprocessor = lines.map((l) => /#include|#define /i.test(l));
    scoped.forEach((tokens, i) => {
      const whole = tokens.some((t) => t[2] === 'meta.preprocessor.vorn');
      assert.equal(whole, preprocessor[i], `${file}:${i + 1}: a preprocessor line is what the expander takes`);
    });
    const out = cp.spawnSync(vornc, ['tokens', file], { encoding: 'latin1' });
    assert.ok(out.status === 0 || out.status === 1, out.stderr);
    let cursorLine = 0;
    let cursor = 0;
    for (const row of out.stdout.split('\n').filter((l) => l.length > 0)) {
      const m = /^(\d+) (\d+) (.*)$/.exec(row);
      const line = Number(m[1]) - 1;
      const token = Number(m[2]);
      const text = m[3];
      if (preprocessor[line]) continue;  // the lexer reads words there the expander removes
      if (line !== cursorLine) [cursorLine, cursor] = [line, 0];
      // The lexer's token is the next place its text appears outside a comment.
      let at = lines[line].indexOf(text, cursor);
      const scopeAt = (c) => scoped[line].find((t) => t[0] <= c && c < t[1])[2];
      while (at >= 0 && /^comment/.test(scopeAt(at))) at = lines[line].indexOf(text, at + 1);
      assert.ok(at >= 0, `${file}:${line + 1}: "${text}" not found`);
      cursor = at + text.length;
      const tm = scoped[line].find((t) => t[0] === at && t[1] === at + text.length);
      assert.ok(tm, `${file}:${line + 1}: the grammar splits "${text}" otherwise: ${JSON.stringify(scoped[line])}`);
      assert.match(tm[2], expectedScope(token), `${file}:${line + 1}: "${text}" (token ${token})`);
      if (token >= 257 && token <= 275) keywordsSeen.add(token);
      ++checked;
    }
  }
  fs.rmSync(path.dirname(probePath), { recursive: true, force: true });
  // Every keyword met at least once, so none is missing from the grammar.
  assert.equal(keywordsSeen.size, 19, `keywords seen: ${[...keywordsSeen]}`);
  assert.ok(checked > 500, `only ${checked} tokens checked`);
}

main().then(() => process.exit(0), (e) => {
  console.error(e);
  process.exit(1);
});
