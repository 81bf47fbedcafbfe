// Opens exported pages in headless Chromium and checks that every unit block stands on the editor's
// grid: a cell of a double-byte character is one em square, a single-byte character half an em wide,
// so each character of a row starts at (the GBK bytes before it in the row) x half an em from the
// row's start, and the rows follow each other one em apart.
//   node gridtest.mjs MAKE_PAGE SCRIPT_TXT CHROMIUM SAMPLE_TEXT_PAGE...
// The pages: the sample document (its text pages imported as the build does) and seeded mixed
// single- and double-byte units.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { Browser, Tab } from './devtools.mjs';

const [makePage, scriptTxt, chromiumPath, ...samplePages] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), 'quillet-grid-'));
const failures = [];
const check = (ok, what) => {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
    if (!ok) failures.push(what);
};

// Tolerance in pixels: well under a pixel, yet above the rounding of layout units (1/64 px).
const TOLERANCE = 0.05;

function makePageFile(name, kindAndArguments) {
    const out = join(work, name);
    execFileSync(makePage, [out, scriptTxt, '400', '0', ...kindAndArguments]);
    return pathToFileURL(out).href;
}

// Runs in the page: walks every block's table cell row by row (rows end at <br>) and compares each
// character's left edge with the place its row's bytes give it. Characters of one byte in the page's
// GBK text are the ASCII ones and the spaces written as &nbsp;; every other one came from two bytes.
function measureBlocks(tolerance) {
    const blocks = Array.from(document.querySelectorAll('body > div[id^="text"]'));
    const range = document.createRange();
    const result = { blocks: blocks.length, characters: 0, rows: 0, worst: 0, misplaced: [], rowPitch: [] };
    let half = 0;
    for (const block of blocks) {
        const td = block.querySelector('td');
        const style = getComputedStyle(td);
        half = parseFloat(style.fontSize) / 2;
        const box = td.getBoundingClientRect();
        const left = box.left + parseFloat(style.borderLeftWidth) + parseFloat(style.paddingLeft);
        const contentHeight = box.height - parseFloat(style.borderTopWidth) - parseFloat(style.paddingTop) -
            parseFloat(style.paddingBottom) - parseFloat(style.borderBottomWidth);
        let row = 0;
        let bytes = 0;
        const walker = document.createTreeWalker(td, NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
        for (let node = walker.nextNode(); node; node = walker.nextNode()) {
            if (node.nodeName === 'BR') {
                ++row;
                bytes = 0;
                continue;
            }
            if (node.nodeType !== Node.TEXT_NODE) continue;
            let offset = 0;
            for (const ch of node.data) {
                const code = ch.codePointAt(0);
                if (code === 0x0d || code === 0x0a) { // a line break of the page file, not of the unit
                    offset += ch.length;
                    continue;
                }
                range.setStart(node, offset);
                range.setEnd(node, offset + ch.length);
                offset += ch.length;
                const x = range.getBoundingClientRect().left - left;
                const deviation = Math.abs(x - bytes * half);
                result.characters++;
                result.worst = Math.max(result.worst, deviation);
                if (deviation > tolerance && result.misplaced.length < 8)
                    result.misplaced.push(`${block.id} row ${row}: U+${code.toString(16).toUpperCase()} ${ch} ` +
                        `at ${x.toFixed(3)} px, not ${bytes * half} px`);
                bytes += code < 0x80 || code === 0xa0 ? 1 : 2;
            }
        }
        result.rows += row;
        result.rowPitch.push([block.id, row, contentHeight]);
    }
    result.half = half;
    return result;
}

// The faces Chromium drew the blocks' text with, as "family (glyphs)", over every element of every block.
async function facesUsed(tab) {
    await tab.send('DOM.enable');
    await tab.send('CSS.enable');
    const { root } = await tab.send('DOM.getDocument', { depth: 0 });
    const { nodeIds } = await tab.send('DOM.querySelectorAll',
        { nodeId: root.nodeId, selector: 'body > div[id^="text"] td, body > div[id^="text"] td *' });
    const glyphs = new Map();
    const perNode = await Promise.all(nodeIds.map((nodeId) => tab.send('CSS.getPlatformFontsForNode', { nodeId })));
    for (const { fonts } of perNode)
        for (const f of fonts) glyphs.set(f.familyName, (glyphs.get(f.familyName) ?? 0) + f.glyphCount);
    return Array.from(glyphs, ([family, count]) => `${family} (${count})`).join(', ');
}

async function checkGrid(tab, name, url) {
    tab.errors.length = 0;
    await tab.navigate(url);
    const m = await tab.eval(`(${measureBlocks})(${TOLERANCE})`);
    console.log(`${name}: ${m.blocks} blocks, ${m.rows} rows, ${m.characters} characters; half cell ` +
        `${m.half} px; worst deviation ${m.worst.toFixed(3)} px; faces: ${await facesUsed(tab)}`);
    check(m.blocks > 0 && m.characters > 0, `${name}: the page has blocks with text`);
    check(m.misplaced.length === 0, `${name}: every character starts on the half-cell grid of its row` +
        m.misplaced.map((s) => `\n       ${s}`).join(''));
    const offPitch = m.rowPitch.filter(([, rows, height]) => Math.abs(height - rows * 2 * m.half) > TOLERANCE);
    check(offPitch.length === 0, `${name}: rows follow each other one cell (${2 * m.half} px) apart` +
        offPitch.slice(0, 8).map(([id, rows, height]) => `\n       ${id}: ${rows} rows ${height} px high`).join(''));
    check(tab.errors.length === 0, `${name}: no script error (${tab.errors.join('; ')})`);
}

const browser = new Browser(chromiumPath, join(work, 'profile'));
try {
    await browser.send('Target.setDiscoverTargets', { discover: false });
    const tab = await Tab.open(browser);
    await checkGrid(tab, 'sample document', makePageFile('sample.htm', ['document', ...samplePages]));
    await checkGrid(tab, 'mixed units', makePageFile('mixed.htm', ['mixed', '12']));
} catch (e) {
    check(false, e.message);
} finally {
    await browser.close();
    rmSync(work, { recursive: true, force: true, maxRetries: 5 });
}
process.exit(failures.length === 0 ? 0 : 1);
