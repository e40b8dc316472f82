// Compares the document a browser-grade parser (parse5, not the tokenizer
// library the tool uses) builds from a page with the one it builds from our
// output of that page, after taking our own elements out of the output: the
// change markers and query markers, the anchors we add, and the highlight or
// colour tags we wrap around text. What is left must be the page's own
// document: the same elements (namespace, name, attributes) under the same
// parents in the same order, the same comments and the same text.
//
// Each pair is parsed twice. Without scripting, as the tool's own parser
// reads a page, everything is compared. With scripting, as a browser that
// runs scripts reads it, a <noscript> holds raw text that is never shown,
// and our markup inside it is inert text there: its content is left out.
import { parse } from 'parse5';

const HTML_NS = 'http://www.w3.org/1999/xhtml';
const NS_PREFIX = {
  [HTML_NS]: '',
  'http://www.w3.org/2000/svg': 'svg:',
  'http://www.w3.org/1998/Math/MathML': 'math:',
};

const MARKERS = new Set(['lumivantchanges', 'lumivantquery']);

// The start tags we wrap around text ("<font color=#800000 ...>"), each as
// its lower-case name and attributes, so that exactly those elements are
// taken out and a page's own elements of the same name stay.
export function wrapperSignatures(startTags) {
  const signatures = new Set();
  for (const tag of startTags) {
    const fragment = parse(`<body>${tag}x`);
    const body = fragment.childNodes.find((n) => n.nodeName === 'html').childNodes[1];
    const element = body.childNodes.find((n) => n.tagName);
    if (element) signatures.add(signature(element));
  }
  return signatures;
}

function signature(element) {
  const attrs = element.attrs
    .map((a) => `${a.name}=${a.value}`)
    .sort()
    .join(' ');
  return `${element.tagName.toLowerCase()} ${attrs}`;
}

// Our anchors: empty, with a name of our prefix ("Change" or "Query") and
// a number, nothing else.
function isOurAnchor(element, anchorName) {
  if (element.tagName !== 'a' || element.childNodes.length !== 0) return false;
  return element.attrs.length === 1 && element.attrs[0].name === 'name' &&
         anchorName.test(element.attrs[0].value);
}

function normaliseText(text) {
  return text.replace(/[ \t\n\r\f\u00a0]+/g, ' ').trim();
}

// The document as lines "depth kind ..." in tree order, with adjacent text
// merged; parent chain and order follow from depth and position. Each line
// also records its path of ancestors, for reporting.
export function flatten(document, wrappers, anchorName, hideNoscript = false) {
  const lines = [];
  const path = [];
  let pending = '';
  const flush = (depth) => {
    const text = normaliseText(pending);
    pending = '';
    if (text) lines.push({ line: `${depth} #text ${JSON.stringify(text)}`, path: path.join(' > ') });
  };
  const walk = (node, depth) => {
    const children = node.content ? node.content.childNodes : node.childNodes;
    for (const child of children) {
      if (child.nodeName === '#text') {
        pending += child.value;
        continue;
      }
      if (child.nodeName === '#comment') {
        flush(depth);
        lines.push({ line: `${depth} <!--${child.data}-->`, path: path.join(' > ') });
        continue;
      }
      if (child.nodeName === '#documentType') continue;
      if (!child.tagName) continue;
      const name = child.tagName.toLowerCase();
      if (isOurAnchor(child, anchorName)) continue;
      if (MARKERS.has(name) || wrappers.has(signature(child))) {
        walk(child, depth);  // unwrapped: its content joins the parent's
        continue;
      }
      flush(depth);
      const label = (NS_PREFIX[child.namespaceURI] ?? `{${child.namespaceURI}}`) + name;
      const attrs = child.attrs
        .map((a) => `${a.prefix ? a.prefix + ':' : ''}${a.name}=${JSON.stringify(a.value)}`)
        .sort()
        .join(' ');
      lines.push({ line: `${depth} <${label}${attrs ? ' ' + attrs : ''}>`, path: path.join(' > ') });
      path.push(label);
      if (!(hideNoscript && label === 'noscript')) walk(child, depth + 1);
      flush(depth + 1);
      path.pop();
    }
  };
  walk(document, 0);
  flush(0);
  return lines;
}

// The header our tools write before a page, or '' when output has none.
export function headerOf(output) {
  if (!output.startsWith('<!-- Lumivant Generated')) return '';
  const end = output.indexOf('</head>\n');
  return end < 0 ? '' : output.slice(0, end + '</head>\n'.length);
}

// Returns null when equal, else a description of the first difference.
// The reference is the page behind the same header as the output, so that
// what is compared is what we insert into the page.
// anchorPrefix: "Change" for reports, "Query" for highlighted pages.
export function compareDocuments(page, output, wrapperTags, anchorPrefix) {
  const wrappers = wrapperSignatures(wrapperTags);
  const anchorName = new RegExp(`^${anchorPrefix}[0-9]+$`);
  for (const scriptingEnabled of [false, true]) {
    const options = { scriptingEnabled };
    const expected = flatten(parse(headerOf(output) + page, options), wrappers, anchorName,
                             scriptingEnabled);
    const actual = flatten(parse(output, options), wrappers, anchorName, scriptingEnabled);
    const difference = firstDifference(expected, actual);
    if (difference) return (scriptingEnabled ? '(scripting) ' : '') + difference;
  }
  return null;
}

function firstDifference(expected, actual) {
  if (process.env.LUMIVANT_ORACLE_DUMP) {
    console.log(expected.map((l) => l.line).join('\n'), '\n----');
    console.log(actual.map((l) => l.line).join('\n'));
  }
  const count = Math.max(expected.length, actual.length);
  for (let i = 0; i < count; ++i) {
    const e = expected[i];
    const a = actual[i];
    if (e && a && e.line === a.line) continue;
    const at = (e ?? a).path;
    return `at ${at || '(document)'}:\n    page:   ${e ? e.line : '(nothing more)'}\n` +
           `    output: ${a ? a.line : '(nothing more)'}`;
  }
  return null;
}

export { HTML_NS };
