// Plays exported pages in headless Chromium, driven over the DevTools protocol (--remote-debugging-pipe),
// and checks from the live DOM that the blocks are shown in turn, that the control buttons work, that
// units with delays of their own show for those delays and that no script error occurs. Then measures how fifty full units play at 10 ms a frame.
//   node playtest.mjs MAKE_PAGE SCRIPT_TXT [CHROMIUM [KIND...]]
// KIND names the fifty-unit pages measured (make_page's kinds full and worst); full when none is given.
import { execFileSync } from 'node:child_process';
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { check, runInBrowser } from './browsertest.mjs';
import { Tab } from './devtools.mjs';

const [makePage, scriptTxt, chromiumPath = '/usr/bin/chromium', ...fullKinds] = process.argv.slice(2);
if (fullKinds.length === 0) fullKinds.push('full');
const work = mkdtempSync(join(tmpdir(), 'quillet-browser-'));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function makePageFile(name, kind, units, delay, buttons) {
    const out = join(work, name);
    execFileSync(makePage, [out, scriptTxt, String(delay), buttons ? '1' : '0', kind, String(units)]);
    return pathToFileURL(out).href;
}

// The sequence of distinct shown-block states, sampled every few milliseconds until `count` are seen
// (from the first block shown on).
async function watchSequence(tab, count, timeoutMs) {
    const seen = [];
    const start = Date.now();
    while (seen.length < count && Date.now() - start < timeoutMs) {
        const now = await tab.shown();
        if (seen[seen.length - 1] !== now && (now !== '' || seen.length > 0)) seen.push(now);
        await sleep(10);
    }
    return seen;
}

async function checkPlaysInTurn(browser, delay) {
    const tab = await Tab.open(browser);
    await tab.navigate(makePageFile('three.htm', 'small', 3, delay, false));
    const seen = await watchSequence(tab, 4, 20 * delay);
    // A loaded machine may hand the page over after its first switch, so the turn is checked from
    // whichever block was seen first: each one followed by the next, the last by the first.
    const inTurn = seen.length === 4 && seen.every((id, i) => i === 0 || id === `text${(Number(seen[i - 1].slice(4)) % 3) + 1}`);
    check(inTurn, `three units shown in turn: ${seen.join(' ')}`);
    check(await tab.eval('document.F0.D0.type === "hidden" && document.F0.D0.value === String(delay)'),
        'without buttons: D0 is hidden and holds the delay');
    check(await tab.eval('document.F0.elements.length === 1'), 'without buttons: no control in the form');
    check(tab.errors.length === 0, `no script error (${tab.errors.join('; ')})`);
}

async function checkButtons(browser, delay) {
    const tab = await Tab.open(browser);
    await tab.navigate(makePageFile('buttons.htm', 'small', 3, delay, true));
    check(await tab.eval('document.F0.D0.type === "text" && document.F0.D0.value') === String(delay),
        'with buttons: D0 shows the delay');
    await watchSequence(tab, 2, 10 * delay); // text1, then text2: it plays
    await tab.click('BPlay');
    const paused = await tab.shown();
    await sleep(4 * delay);
    check(await tab.shown() === paused, `pause stops the cycle at ${paused}`);
    await tab.click('BNext');
    const expected = `text${(Number(paused.slice(4)) % 3) + 1}`;
    check(await tab.shown() === expected, `next advances from ${paused} to ${expected}`);
    await sleep(4 * delay);
    check(await tab.shown() === expected, 'still paused after next');
    await tab.click('BPrev');
    check(await tab.shown() === paused, `previous goes back to ${paused}`);
    await tab.click('BFast');
    check(await tab.eval('document.F0.D0.value') === String(Math.round(delay / 1.25)), 'faster shortens the delay');
    await tab.click('BSlow');
    check(await tab.eval('document.F0.D0.value') === String(Math.round(Math.round(delay / 1.25) * 1.25)),
        'slower lengthens it');
    await tab.click('BPlay');
    const resumed = await watchSequence(tab, 2, 10 * delay);
    check(resumed.length === 2, `play resumes: ${resumed.join(' ')}`);
    check(tab.errors.length === 0, `no script error (${tab.errors.join('; ')})`);
}

// Units with delays of their own (the first has none: the page's delay): each block stays on show for
// its own delay, coarsely, as the clock of a loaded machine allows, and the blocks keep their turn.
async function checkOwnDelays(browser, pageDelay, delays) {
    const tab = await Tab.open(browser);
    const out = join(work, 'timed.htm');
    execFileSync(makePage, [out, scriptTxt, String(pageDelay), '0', 'timed', ...delays.map(String)]);
    await tab.navigate(pathToFileURL(out).href);
    await tab.eval(`window.__changes = [];
        new MutationObserver(() => { if (__changes.length === 0 || __changes[__changes.length - 1][1] !== frameShown)
            __changes.push([performance.now(), frameShown]); })
            .observe(document.body, { subtree: true, attributeFilter: ['class'] });`);
    const lap = delays.reduce((sum, d) => sum + (d || pageDelay), 0);
    await sleep(2 * lap + 300);
    const changes = await tab.eval('__changes');
    const stays = changes.slice(0, -1).map(([t, shown], i) => ({ shown, next: changes[i + 1][1], ms: changes[i + 1][0] - t }));
    const wanted = (n) => delays[n - 1] || pageDelay;
    const report = stays.map((s) => `text${s.shown} ${Math.round(s.ms)} ms`).join(', ');
    check(stays.length >= delays.length + 1, `own delays: a lap and more seen (${report})`);
    check(stays.every((s) => s.next === s.shown % delays.length + 1), `own delays: the blocks keep their turn (${report})`);
    check(stays.every((s) => s.ms >= 0.6 * wanted(s.shown) && s.ms <= wanted(s.shown) + 250),
        `own delays: each block shows for its own delay, ${delays.map((d) => d || pageDelay).join('/')} ms (${report})`);
    check(tab.errors.length === 0, `no script error (${tab.errors.join('; ')})`);
}

// Fifty full double-byte units at 10 ms. The page keeps to the clock (it skips what it cannot show in
// time), so the frames it moves on must match the time passed; reported are also how often the shown
// block actually changed and how many changed frames were painted.
async function measureFullUnits(browser, kind, seconds) {
    const tab = await Tab.open(browser);
    const started = Date.now();
    await tab.navigate(makePageFile(`${kind}50.htm`, kind, 50, 10, false), 40000);
    const loadMs = Date.now() - started;
    await tab.eval(`window.__changes = []; window.__painted = [];
        new MutationObserver(() => __changes.push([performance.now(), frameShown]))
            .observe(document.body, { subtree: true, attributeFilter: ['class'] });
        (function paint(t) { __painted.push([t, frameShown]); requestAnimationFrame(paint); })(performance.now());`);
    await sleep(seconds * 1000);
    const { changes, painted } = await tab.eval('({ changes: __changes, painted: __painted })');
    // At each change the shown block must be the one the clock calls for, within three frames: the
    // observer runs a little after the change, later still on a busy machine, while a page that does
    // not keep to the clock falls behind by more and more frames.
    const [t0, first] = changes[0];
    const onTime = changes.filter(([t, shown]) => {
        const due = (first - 1 + Math.floor((t - t0) / 10)) % 50 + 1;
        const off = (shown - due + 50) % 50;
        return off <= 3 || off >= 47;
    }).length;
    const span = changes[changes.length - 1][0] - t0;
    const intervals = changes.slice(1).map((c, i) => c[0] - changes[i][0]).sort((x, y) => x - y);
    const paintedChanges = painted.filter((p, i) => i > 0 && p[1] !== painted[i - 1][1]).length;
    const paintSeconds = (painted[painted.length - 1][0] - painted[0][0]) / 1000;
    console.log(`${kind}: 50 full units at delay 10 ms: load ${loadMs} ms; ${onTime} of ${changes.length} changes ` +
        `on time; shown block changed every ${(span / (changes.length - 1)).toFixed(2)} ms (median ` +
        `${intervals[Math.floor(intervals.length / 2)].toFixed(2)}); ${(paintedChanges / paintSeconds).toFixed(1)} ` +
        `changed frames painted per second of ${(painted.length / paintSeconds).toFixed(1)} painted`);
    check(onTime >= 0.95 * changes.length, `${kind}: the page keeps to 10 ms a frame`);
    check(tab.errors.length === 0, `${kind}: no script error (${tab.errors.join('; ')})`);
}

await runInBrowser(chromiumPath, work, async (browser) => {
    await checkPlaysInTurn(browser, 400);
    await checkButtons(browser, 400);
    await checkOwnDelays(browser, 150, [0, 700, 300]);
    for (const kind of fullKinds) await measureFullUnits(browser, kind, 3);
});
