#!/usr/bin/env node
// Runs `lumivant diff` and `lumivant highlight` on random hostile pages and
// on the corpus, and checks with compare.mjs that every output parses to
// its page's document plus only our elements.
//
//   node oracle.mjs --lumivant BIN [--random N] [--seed S] [--corpus DIR]
//                   [--show N] [--no-minimise] [--corpus-all]
//                   [--skip-tag NAME]... [--strip-bom] [--regressions DIR]
//
// --skip-tag leaves an element out of the random pages, --strip-bom the
// byte order mark out of corpus pages: for a fault known and tracked
// elsewhere, so that the check stays a guard against new ones.
// On the corpus each page and pair is checked once, queries and tag sets
// taking turns; --corpus-all checks each with every one. --regressions
// replays the kept fuzz inputs of DIR/changes and DIR/highlight (those in
// UTF-8; see fuzz/changes_case.h and fuzz/highlight_case.h for the format).
//
// Exits 1 when some output differs; each difference is printed with the
// page (cut down to a minimal reproducer for random pages).
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { compareDocuments } from './compare.mjs';
import * as gen from './generate.mjs';

const options = { random: 200, seed: 1, show: 5, minimise: true, corpus: '', lumivant: '',
                  corpusAll: false, skipTags: [], stripBom: false, regressions: '' };
for (let i = 2; i < process.argv.length; ++i) {
  const arg = process.argv[i];
  const value = () => process.argv[++i];
  if (arg === '--lumivant') options.lumivant = value();
  else if (arg === '--random') options.random = Number(value());
  else if (arg === '--seed') options.seed = Number(value());
  else if (arg === '--corpus') options.corpus = value();
  else if (arg === '--show') options.show = Number(value());
  else if (arg === '--no-minimise') options.minimise = false;
  else if (arg === '--corpus-all') options.corpusAll = true;
  else if (arg === '--skip-tag') options.skipTags.push(value().toLowerCase());
  else if (arg === '--strip-bom') options.stripBom = true;
  else if (arg === '--regressions') options.regressions = value();
  else {
    console.error(`unknown option ${arg}`);
    process.exit(2);
  }
}
if (!options.lumivant) {
  console.error('usage: oracle.mjs --lumivant BIN [--random N] [--seed S] [--corpus DIR]');
  process.exit(2);
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumivant-oracle-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));

// Distinctive tags, so that our elements cannot be confused with the
// page's; every other case uses the tools' defaults instead, whose <font>
// and <B> behave differently in svg and math.
const DISTINCT_HIGHLIGHT = ['<lvt-h>', '</lvt-h>'];
const DISTINCT_COLOURS = [['<lvt-c1>', '</lvt-c1>'], ['<lvt-c2 class=k>', '</lvt-c2>']];
const DEFAULT_HIGHLIGHT = ['<font color=#800000 style=background-color:#FFFF00>', '</font>'];
const DEFAULT_COLOUR_STARTS = [
  '<B style="color:black;background-color:#FFFF66">', '<B style="color:black;background-color:#A0FFFF">',
  '<B style="color:black;background-color:#99FF99">', '<B style="color:black;background-color:#FF9999">',
  '<B style="color:black;background-color:#FF66FF">', '<B style="color:white;background-color:#880000">',
  '<B style="color:white;background-color:#00AA00">', '<B style="color:white;background-color:#886800">',
  '<B style="color:white;background-color:#004699">', '<B style="color:white;background-color:#990099">',
];
const coloursFile = path.join(work, 'colours');
fs.writeFileSync(coloursFile, DISTINCT_COLOURS.map(([s, e]) => `${s}\t${e}\n`).join(''));

function run(args) {
  const result = spawnSync(options.lumivant, args, { maxBuffer: 1 << 30 });
  if (result.error) throw result.error;
  const status = result.status;
  // diff exits 1 when the pages differ, highlight when nothing matches.
  const failed = result.signal || status === null || status > 1;
  return { output: result.stdout, failed, why: `exit ${status} ${result.signal ?? ''} ${result.stderr}` };
}

// Charset of a stored page, found the way a browser's prescan would (byte
// order mark, then a charset in the first 1024 bytes), so that the tool is
// told the same one and decoding does not come into the comparison.
function charsetOf(bytes) {
  if (bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf) return 'utf-8';
  if (bytes[0] === 0xff && bytes[1] === 0xfe) return 'utf-16le';
  if (bytes[0] === 0xfe && bytes[1] === 0xff) return 'utf-16be';
  const head = bytes.subarray(0, 1024).toString('latin1');
  const m = /<meta[^>]*charset\s*=\s*["']?([A-Za-z0-9_:.-]+)/i.exec(head);
  if (m) {
    try {
      new TextDecoder(m[1]);
      return m[1].toLowerCase();
    } catch {}
  }
  try {
    new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    return 'utf-8';
  } catch {
    return 'windows-1252';
  }
}

function decode(bytes, charset) {
  const label = charset === 'x-sjis' ? 'shift_jis' : charset;
  return new TextDecoder(label).decode(bytes);
}

// One check: runs the tool, compares; returns null or what went wrong.
function check(kind, pageBytes, charset, args, wrappers) {
  const result = run(args);
  if (result.failed) return `${kind}: the tool failed: ${result.why}`;
  let page = decode(pageBytes, charset);
  // A report clears the markers of an earlier report out of its page, each
  // into an empty span of the same length.
  if (kind === 'diff') {
    page = page.replaceAll('<LumivantChanges>', '<span           >')
      .replaceAll('</LumivantChanges>', '</span           >');
  }
  const difference = compareDocuments(page, result.output.toString('utf8'), wrappers,
                                      kind === 'diff' ? 'Change' : 'Query');
  return difference && `${kind}: ${difference}`;
}

function diffCase(oldBytes, newBytes, charsets, defaults, wordLevel) {
  const oldFile = path.join(work, 'old.html');
  const newFile = path.join(work, 'new.html');
  fs.writeFileSync(oldFile, oldBytes);
  fs.writeFileSync(newFile, newBytes);
  const args = ['diff', '--old-charset', charsets[0], '--new-charset', charsets[1]];
  if (!defaults) args.push('--highlight-start', DISTINCT_HIGHLIGHT[0], '--highlight-end', DISTINCT_HIGHLIGHT[1]);
  if (wordLevel) args.push('--word-level');
  args.push(oldFile, newFile);
  return check('diff', newBytes, charsets[1], args,
               [defaults ? DEFAULT_HIGHLIGHT[0] : DISTINCT_HIGHLIGHT[0]]);
}

function highlightCase(pageBytes, charset, query, defaults) {
  const file = path.join(work, 'page.html');
  fs.writeFileSync(file, pageBytes);
  const args = ['highlight', '--charset', charset];
  if (!defaults) args.push('--colours', coloursFile);
  args.push(query, file);
  return check('highlight', pageBytes, charset, args,
               defaults ? DEFAULT_COLOUR_STARTS : DISTINCT_COLOURS.map(([s]) => s));
}

// Cuts a failing token list down while fails(tokens) holds (ddmin).
function minimise(tokens, fails) {
  let budget = 400;
  let chunk = Math.max(1, tokens.length >> 1);
  while (chunk >= 1 && budget > 0) {
    let removed = false;
    for (let start = 0; start < tokens.length && budget > 0;) {
      const keep = tokens.map((_, i) => i).filter((i) => i < start || i >= start + chunk);
      --budget;
      if (keep.length > 0 && fails(keep.map((i) => tokens[i]))) {
        tokens = keep.map((i) => tokens[i]);
        removed = true;
      } else {
        start += chunk;
      }
    }
    if (!removed) chunk >>= 1;
  }
  return tokens;
}

const failures = { diff: 0, highlight: 0 };
const totals = { diff: 0, highlight: 0 };
let shown = 0;
function report(kind, what, difference, reproducer) {
  ++failures[kind];
  if (shown++ >= options.show) return;
  console.log(`DIFFERENCE ${what}\n  ${difference}`);
  if (reproducer) console.log(`  reproducer: ${reproducer}`);
}

const start = Date.now();
for (let n = 0; n < options.random; ++n) {
  const seed = options.seed + n;
  const rnd = gen.random(seed);
  const tokens = gen.page(rnd).filter(
    (t) => !options.skipTags.some((name) => t.toLowerCase().includes(`<${name}`)));
  const old = gen.mutate(rnd, tokens);
  const query = gen.query(rnd);
  const defaults = n % 2 === 1;
  const wordLevel = n % 4 >= 2;  // markers inside texts, not around them
  const utf8 = ['utf-8', 'utf-8'];
  const diffOf = (keep) => diffCase(Buffer.from(keep.map((i) => old[i]).join('')),
                                    Buffer.from(keep.map((i) => tokens[i]).join('')), utf8,
                                    defaults, wordLevel);
  const all = tokens.map((_, i) => i);
  ++totals.diff;
  let difference = diffOf(all);
  if (difference) {
    let keep = all;
    if (options.minimise && shown < options.show) {
      const cut = minimise(all, (k) => diffOf(k) !== null);
      keep = cut;
      difference = diffOf(keep);
    }
    report('diff', `random page ${seed} (diff${defaults ? ', default tags' : ''}` +
           `${wordLevel ? ', word level' : ''})`, difference,
           `old ${JSON.stringify(keep.map((i) => old[i]).join(''))} new ` +
           JSON.stringify(keep.map((i) => tokens[i]).join('')));
  }
  const highlightOf = (keep) => highlightCase(Buffer.from(keep.map((i) => tokens[i]).join('')),
                                              'utf-8', query, defaults);
  ++totals.highlight;
  difference = highlightOf(all);
  if (difference) {
    let keep = all;
    if (options.minimise && shown < options.show) {
      keep = minimise(all, (k) => highlightOf(k) !== null);
      difference = highlightOf(keep);
    }
    report('highlight', `random page ${seed} (highlight ${JSON.stringify(query)}` +
           `${defaults ? ', default tags' : ''})`, difference,
           JSON.stringify(keep.map((i) => tokens[i]).join('')));
  }
}

// A kept fuzz input: its control bytes, then texts separated by "|||" (the
// last one takes the rest).
function fuzzInput(bytes, controls, texts) {
  const control = [...bytes.subarray(0, controls)];
  const parts = [];
  let rest = bytes.subarray(controls);
  for (let k = 1; k < texts; ++k) {
    const at = rest.indexOf('|||');
    parts.push(at < 0 ? rest : rest.subarray(0, at));
    rest = at < 0 ? Buffer.alloc(0) : rest.subarray(at + 3);
  }
  parts.push(rest);
  return { control, parts };
}

if (options.regressions) {
  const kept = (target) => {
    const dir = path.join(options.regressions, target);
    return fs.existsSync(dir) ? fs.readdirSync(dir).sort().map((f) => path.join(dir, f)) : [];
  };
  const utf8 = ['utf-8', 'utf-8'];
  for (const file of kept('changes')) {
    const { control: [bits = 0, oldSet = 0, newSet = 0], parts: [oldPage, newPage] } =
      fuzzInput(fs.readFileSync(file), 3, 2);
    if (oldSet !== 0 || newSet !== 0) continue;  // not UTF-8
    ++totals.diff;
    const difference = diffCase(oldPage, newPage, utf8, ((bits >> 4) & 3) === 0, (bits & 64) !== 0);
    if (difference) report('diff', file, difference);
  }
  for (const file of kept('highlight')) {
    const { control: [bits = 0, set = 0], parts: [query, page] } =
      fuzzInput(fs.readFileSync(file), 2, 2);
    if (set !== 0 || (bits & 1) !== 0 || page.length === 0) continue;  // not UTF-8, or a report
    ++totals.highlight;
    const difference = highlightCase(page, 'utf-8', query.toString('utf8'), ((bits >> 1) & 3) === 0);
    if (difference) report('highlight', file, difference);
  }
}

if (options.corpus) {
  const pages = [];
  const pagesDir = path.join(options.corpus, 'pages');
  if (fs.existsSync(pagesDir)) {
    for (const name of fs.readdirSync(pagesDir).sort()) {
      if (/\.html?$/.test(name)) pages.push(path.join(pagesDir, name));
    }
  }
  const pairsDir = path.join(options.corpus, 'pairs');
  const pairs = fs.existsSync(pairsDir)
    ? fs.readdirSync(pairsDir).sort().map((d) => path.join(pairsDir, d))
      .filter((d) => fs.existsSync(path.join(d, 'new.html')))
    : [];
  for (const pair of pairs) pages.push(path.join(pair, 'old.html'), path.join(pair, 'new.html'));
  const queries = ['the and (price or news) near:5 world', '"of the" or de'];
  const read = (file) => {
    const bytes = fs.readFileSync(file);
    const bom = bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf;
    return options.stripBom && bom ? bytes.subarray(3) : bytes;
  };
  for (const [n, file] of pages.entries()) {
    const bytes = read(file);
    const charset = charsetOf(bytes);
    for (const [k, query] of queries.entries()) {
      if (!options.corpusAll && k !== n % 2) continue;
      ++totals.highlight;
      const difference = highlightCase(bytes, charset, query, k === 1);
      if (difference) report('highlight', `${file} (highlight ${JSON.stringify(query)})`, difference);
    }
  }
  for (const [n, pair] of pairs.entries()) {
    const oldBytes = read(path.join(pair, 'old.html'));
    const newBytes = read(path.join(pair, 'new.html'));
    for (const defaults of [false, true]) {
      if (!options.corpusAll && defaults !== (n % 2 === 1)) continue;
      ++totals.diff;
      const difference = diffCase(oldBytes, newBytes, [charsetOf(oldBytes), charsetOf(newBytes)],
                                  defaults, defaults);
      if (difference) {
        report('diff', `${pair} (diff${defaults ? ', default tags, word level' : ''})`,
               difference);
      }
    }
  }
}

const seconds = ((Date.now() - start) / 1000).toFixed(1);
console.log(`oracle: diff ${failures.diff}/${totals.diff} differ, ` +
            `highlight ${failures.highlight}/${totals.highlight} differ (${seconds} s)`);
process.exit(failures.diff + failures.highlight > 0 ? 1 : 0);
