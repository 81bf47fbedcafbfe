// Opens exported pages in headless Chromium and checks that every unit block stands on the editor's
// grid: a cell of a double-byte character is one em square, a single-byte character half an em wide,
// so each character of a row starts at (the GBK bytes before it in the row) x half an em from the
// row's start, and the rows follow each other one em apart.
// The page keeps the blocks' text cells out of layout and shows each block as a picture it draws from
// the text; so the test lays the text cells out with a style sheet of its own to measure them, and
// then shows every block in turn and compares the picture on show with the text cell laid out in its
// place, pixel by pixel. A block with a character that would not stand on the grid shows its text.
//   node gridtest.mjs MAKE_PAGE SCRIPT_TXT CHROMIUM SAMPLE_TEXT_PAGE...
// The pages: the sample document (its text pages imported as the build does), seeded mixed single-
// and double-byte units, and small units one of which holds a character off the grid.
import { execFileSync } from 'node:child_process';
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { check, runInBrowser } from './browsertest.mjs';
import { Tab } from './devtools.mjs';
import { decodePng } from './png.mjs';

const [makePage, scriptTxt, chromiumPath, ...samplePages] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), 'quillet-grid-'));

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

const TEXT_CELL = 'body > div[id^="text"] td:not(.framepicture)';

// The faces Chromium drew the blocks' text with, as "family (glyphs)", over every element of every block.
async function facesUsed(tab) {
    await tab.send('DOM.enable');
    await tab.send('CSS.enable');
    const { root } = await tab.send('DOM.getDocument', { depth: 0 });
    const { nodeIds } = await tab.send('DOM.querySelectorAll',
        { nodeId: root.nodeId, selector: TEXT_CELL + ', ' + TEXT_CELL + ' *' });
    const glyphs = new Map();
    const perNode = await Promise.all(nodeIds.map((nodeId) => tab.send('CSS.getPlatformFontsForNode', { nodeId })));
    for (const { fonts } of perNode)
        for (const f of fonts) glyphs.set(f.familyName, (glyphs.get(f.familyName) ?? 0) + f.glyphCount);
    return Array.from(glyphs, ([family, count]) => `${family} (${count})`).join(', ');
}

// Lays the blocks' text cells out in place of their pictures, or takes that back.
const TEXT_SHOWN = `${TEXT_CELL} { display: table-cell !important; } ` +
    'body > div[id^="text"] td.framepicture { display: none !important; }';
async function showText(tab, shown) {
    await tab.eval(`(() => { document.getElementById('gridtest-text')?.remove(); if (${shown})
        document.head.insertAdjacentHTML('beforeend', '<style id="gridtest-text">${TEXT_SHOWN}</style>'); })()`);
    await tab.send('Runtime.evaluate', {
        expression: 'new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)))',
        awaitPromise: true,
    });
}

// Opens the page and waits until it has read every block: each has a picture cell, or shows its text cell.
async function open(tab, url) {
    tab.errors.length = 0;
    await tab.navigate(url);
    const read = `Array.from(document.querySelectorAll('body > div[id^="text"]'))
        .every((b) => b.querySelector('td.framepicture, td.frametext'))`;
    for (const end = Date.now() + 20000; !(await tab.eval(read));) {
        if (Date.now() > end) throw new Error(`${url}: the page never read all its blocks`);
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}

async function checkGrid(tab, name) {
    await tab.eval('if (framePlaying) framePlayPause()');
    await showText(tab, true);
    const m = await tab.eval(`(${measureBlocks})(${TOLERANCE})`);
    console.log(`${name}: ${m.blocks} blocks, ${m.rows} rows, ${m.characters} characters; half cell ` +
        `${m.half} px; worst deviation ${m.worst.toFixed(3)} px; faces: ${await facesUsed(tab)}`);
    await showText(tab, false);
    check(m.blocks > 0 && m.characters > 0, `${name}: the page has blocks with text`);
    check(m.misplaced.length === 0, `${name}: every character starts on the half-cell grid of its row` +
        m.misplaced.map((s) => `\n       ${s}`).join(''));
    const offPitch = m.rowPitch.filter(([, rows, height]) => Math.abs(height - rows * 2 * m.half) > TOLERANCE);
    check(offPitch.length === 0, `${name}: rows follow each other one cell (${2 * m.half} px) apart` +
        offPitch.slice(0, 8).map(([id, rows, height]) => `\n       ${id}: ${rows} rows ${height} px high`).join(''));
}

// A screenshot of the table of the block on show.
async function shootShownTable(tab) {
    const clip = await tab.eval(`(() => {
        const r = document.querySelector('body > div.shown table').getBoundingClientRect();
        return { x: r.left + scrollX, y: r.top + scrollY, width: r.width, height: r.height, scale: 1 }; })()`);
    const { data } = await tab.send('Page.captureScreenshot', { format: 'png', clip, captureBeyondViewport: true });
    return decodePng(Buffer.from(data, 'base64'));
}

// Pixels whose largest channel difference is over 0 and over 16.
function compare(a, b) {
    let differing = 0;
    let far = 0;
    for (let i = 0; i < a.data.length; i += 4) {
        const d = Math.max(Math.abs(a.data[i] - b.data[i]), Math.abs(a.data[i + 1] - b.data[i + 1]),
            Math.abs(a.data[i + 2] - b.data[i + 2]));
        if (d > 0) ++differing;
        if (d > 16) ++far;
    }
    return { pixels: a.width * a.height, differing, far };
}

// Shows every block in turn (paused, stepping as the next-frame button does) and compares what the page
// shows with the block's text cell laid out in the same place. With `exact`, every pixel must match:
// the pages whose text is in the cells' own colours. Text in colours of its spans is drawn from glyphs of
// the cell's colour, recoloured, which shades the antialiased edges of a glyph slightly differently; so
// there a few pixels in a hundred may differ, and only one in two thousand by more than 16 levels (the
// edges of glyphs reaching into the row below). Returns the ids of the blocks that show their text cell.
async function checkPictures(tab, name, exact) {
    await tab.eval('if (framePlaying) framePlayPause()');
    const blocks = await tab.eval('document.querySelectorAll(\'body > div[id^="text"]\').length');
    const textShown = [];
    const mismatches = [];
    for (let k = 0; k < blocks; k++) {
        await tab.eval('frameStep(1)');
        await showText(tab, false);
        const shown = await tab.eval(`(() => { const b = document.querySelector('body > div.shown');
            const picture = b.querySelector('td.framepicture'), text = b.querySelector('td:not(.framepicture)');
            return { id: b.id, canvas: !!picture?.querySelector('canvas'),
                text: text.checkVisibility(), picture: !!picture?.checkVisibility() }; })()`);
        if (shown.text) textShown.push(shown.id);
        if (shown.text === shown.picture || shown.canvas !== shown.picture) {
            mismatches.push(`${shown.id} shows ${shown.picture ? 'a picture' : 'no picture'}, ` +
                `${shown.text ? 'its text' : 'no text'}${shown.canvas ? '' : ', no canvas'}`);
            continue;
        }
        const picture = await shootShownTable(tab);
        await showText(tab, true);
        const text = await shootShownTable(tab);
        const c = compare(picture, text);
        const ok = exact ? c.differing === 0 : c.differing <= 0.05 * c.pixels && c.far <= c.pixels / 2000;
        if (!ok || picture.width !== text.width || picture.height !== text.height)
            mismatches.push(`${shown.id}: ${c.differing} of ${c.pixels} pixels differ, ${c.far} by more than 16`);
    }
    await showText(tab, false);
    check(mismatches.length === 0, `${name}: every block shows exactly its text` +
        mismatches.slice(0, 8).map((s) => `\n       ${s}`).join(''));
    check(tab.errors.length === 0, `${name}: no script error (${tab.errors.join('; ')})`);
    return textShown;
}

await runInBrowser(chromiumPath, work, async (browser) => {
    const tab = await Tab.open(browser);
    await tab.send('Emulation.setDeviceMetricsOverride',
        { width: 1920, height: 1200, deviceScaleFactor: 1, mobile: false });
    await open(tab, makePageFile('sample.htm', ['document', ...samplePages]));
    await checkGrid(tab, 'sample document');
    let asText = await checkPictures(tab, 'sample document', true);
    check(asText.length === 0, `sample document: every block drawn as a picture (as text: ${asText.join(', ')})`);
    await open(tab, makePageFile('mixed.htm', ['mixed', '12']));
    await checkGrid(tab, 'mixed units');
    asText = await checkPictures(tab, 'mixed units', false);
    check(asText.length === 0, `mixed units: every block drawn as a picture (as text: ${asText.join(', ')})`);
    await open(tab, makePageFile('offgrid.htm', ['offgrid', '3']));
    asText = await checkPictures(tab, 'a character off the grid', true);
    check(asText.join() === 'text2', `a character off the grid: only its block shows its text (${asText.join(', ')})`);
});
