// Random hostile pages as lists of tokens, so that a failing page can be
// cut down token by token. Words come from a small vocabulary so that
// queries hit and mutations change them.

export const WORDS = ['alpha', 'beta', 'gamma', 'delta', 'omega', 'one', 'two', 'three', 'words',
                      'text', 'new', 'x1'];

// A small, seedable generator (mulberry32), so a seed names a page.
export function random(seed) {
  let state = seed >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  next.int = (n) => Math.floor(next() * n);
  next.pick = (list) => list[next.int(list.length)];
  return next;
}

const FORMATTING = ['b', 'i', 'u', 's', 'em', 'strong', 'nobr', 'code', 'big', 'small', 'tt',
                    'strike'];
const BLOCKS = ['p', 'div', 'h1', 'h2', 'li', 'ul', 'ol', 'dl', 'dd', 'dt', 'pre', 'center',
                'blockquote', 'form', 'button', 'address', 'section', 'listing', 'fieldset'];
const TABLE = ['table', 'tr', 'td', 'th', 'tbody', 'thead', 'caption', 'col', 'colgroup'];
const RAW = ['textarea', 'title', 'noembed', 'noscript', 'noframes', 'xmp', 'iframe', 'script',
             'style'];
const OTHER = ['select', 'option', 'optgroup', 'template', 'object', 'marquee', 'applet', 'span',
               'label', 'ruby', 'rt', 'rp', 'body', 'html', 'head', 'img', 'br', 'hr', 'input',
               'embed', 'image', 'wbr', 'frameset', 'main', 'nav'];
const SVG = ['svg', 'foreignObject', 'desc', 'title', 'path', 'g', 'text', 'tspan'];
const MATH = ['math', 'mi', 'mo', 'mn', 'ms', 'mtext', 'mglyph', 'malignmark', 'annotation-xml',
              'mrow'];

function attrs(rnd, name) {
  if (name === 'a') {
    return rnd.pick([' href=x', ' href="#y"', '', ' name=n', ' class=c', ' href=x class=c',
                     ' HREF=z', ' name=Change9']);
  }
  if (name === 'font') return rnd.pick([` size=${rnd.int(7) + 1}`, ' color=red', '', ' face=f']);
  if (name === 'annotation-xml') return rnd.pick([' encoding=text/html', ' encoding="application/xhtml+xml"', '']);
  if (name === 'input') return rnd.pick([' type=hidden', '']);
  return rnd.int(6) === 0 ? ' id=q' : '';
}

function token(rnd) {
  const r = rnd.int(100);
  if (r < 30) return rnd.pick(WORDS) + rnd.pick([' ', ' ', '\n', '', '  ']);
  if (r < 40) return `<a${attrs(rnd, 'a')}>`;
  if (r < 44) return '</a>';
  if (r < 54) {
    const name = rnd.int(3) === 0 ? 'font' : rnd.pick(FORMATTING);
    return `<${name}${attrs(rnd, name)}>`;
  }
  if (r < 58) return `</${rnd.int(3) === 0 ? 'font' : rnd.pick(FORMATTING)}>`;
  if (r < 64) return `<${rnd.pick(BLOCKS)}>`;
  if (r < 67) return `</${rnd.pick(BLOCKS)}>`;
  if (r < 71) return rnd.int(3) === 0 ? `</${rnd.pick(TABLE)}>` : `<${rnd.pick(TABLE)}>`;
  if (r < 75) {
    const name = rnd.pick(RAW);
    // Usually closed with text inside, sometimes left open.
    if (rnd.int(4) === 0) return `<${name}>`;
    return `<${name}>${rnd.pick(WORDS)} <b>${rnd.pick(WORDS)}</b>` +
           `${rnd.pick(['&amp;', '&lt;x', '<img src=x onerror=alert(1)>', ''])}</${name}>`;
  }
  if (r < 80) {
    const name = rnd.pick(OTHER);
    return rnd.int(4) === 0 ? `</${name}>` : `<${name}${attrs(rnd, name)}>`;
  }
  if (r < 85) {
    const name = rnd.pick(SVG);
    return rnd.int(4) === 0 ? `</${name}>` : `<${name}>`;
  }
  if (r < 89) {
    const name = rnd.pick(MATH);
    return rnd.int(4) === 0 ? `</${name}>` : `<${name}${attrs(rnd, name)}>`;
  }
  if (r < 91) return rnd.pick(['<!-- c -->', '<!-->', '<!--x', '<!x>', '<?pi?>']);
  if (r < 93) return `<![CDATA[${rnd.pick(WORDS)} <b>]]>`;
  if (r < 95) return rnd.pick(['&amp;', '&lt;', '&gt;', '&nbsp;', '&#x41;', '&copy', '<', '>']);
  if (r < 97) return rnd.pick(['<b', '<a href=x', '<p ', '</', '<div id="q']);  // unclosed tags
  if (r < 98) return '\n';
  return `<${rnd.pick(['plaintext', '!DOCTYPE html', 'sarcasm', 'lvt-h', 'LumivantChanges'])}>`;
}

// Pages of between 4 and 80 tokens; now and then a long run of unclosed
// formatting elements (legacy pages full of <font>).
export function page(rnd) {
  const tokens = [];
  const count = 4 + rnd.int(77);
  for (let i = 0; i < count; ++i) {
    if (rnd.int(40) === 0) {
      const run = 10 + rnd.int(10);
      for (let k = 0; k < run; ++k) {
        const name = rnd.int(2) === 0 ? 'font' : rnd.pick(FORMATTING);
        tokens.push(`<${name}${attrs(rnd, name)}>`);
      }
    }
    tokens.push(token(rnd));
  }
  return tokens;
}

// The old version of a page: the same tokens with some words replaced,
// dropped or doubled, index for index, so a page and its old version can be
// cut down together.
export function mutate(rnd, tokens) {
  return tokens.map((t) => {
    if (!/^[a-z0-9]+[ \n]*$/.test(t) || rnd.int(3) !== 0) return t;
    const r = rnd.int(3);
    if (r === 0) return rnd.pick(WORDS) + ' ';
    if (r === 1) return '';
    return `${t} ${rnd.pick(WORDS)} `;
  });
}

export function query(rnd) {
  const a = rnd.pick(WORDS);
  const b = rnd.pick(WORDS);
  return rnd.int(2) === 0 ? a : `${a} or ${b}`;
}
