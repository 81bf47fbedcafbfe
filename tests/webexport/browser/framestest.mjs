// Plays large exported pages in headless Chromium (software raster, no GPU) and checks that they play
// every frame: fifty full double-byte units at a leisurely pace are each shown in turn and each reach
// an animation frame of the browser, and a page that takes long to load shows its first frame before
// it has finished loading. How fast a page may play and still show every frame is measured by the
// page benchmark (bench/browser/pagebench.mjs), not here. A watcher in the page notes the frame switches (MutationObserver) and the
// browser's animation frames (requestAnimationFrame) without forcing any layout.
//   node framestest.mjs MAKE_PAGE SCRIPT_TXT CHROMIUM
import { execFileSync } from 'node:child_process';
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { check, runInBrowser } from './browsertest.mjs';
import { Tab } from './devtools.mjs';

const [makePage, scriptTxt, chromiumPath] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), 'quillet-frames-'));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const WATCHER = `(() => {
    const watch = window.__frames = { switches: [], animationFrames: [] };
    const shown = () => (typeof frameShown === 'number' ? frameShown : 0);
    new MutationObserver(() => {
        if (shown() !== (watch.switches.at(-1)?.[1] ?? 0)) watch.switches.push([performance.now(), shown()]);
    }).observe(document, { subtree: true, attributes: true, attributeFilter: ['class'] });
    requestAnimationFrame(function frame(t) {
        watch.animationFrames.push([t, shown()]);
        requestAnimationFrame(frame);
    });
})();`;

async function openWatched(browser, kind, units, delay) {
    const page = join(work, `${kind}${units}.htm`);
    execFileSync(makePage, [page, scriptTxt, String(delay), '0', kind, String(units)]);
    const tab = await Tab.open(browser);
    await tab.send('Emulation.setDeviceMetricsOverride',
        { width: 1920, height: 1080, deviceScaleFactor: 1, mobile: false });
    await tab.send('Page.addScriptToEvaluateOnNewDocument', { source: WATCHER });
    await tab.navigate(pathToFileURL(page).href, 60000);
    return tab;
}

// Over `seconds` of play from the first change of frame: frames due, frames the page jumped over, and
// frames it switched to that no animation frame of the browser saw before the next switch.
async function checkEveryFrame(browser, seconds) {
    const delay = 300;
    const units = 50;
    const tab = await openWatched(browser, 'full', units, delay);
    for (const end = Date.now() + 30000; (await tab.eval('__frames.switches.length')) < 2;) {
        if (Date.now() > end) throw new Error('the page never changed its frame');
        await sleep(100);
    }
    const start = await tab.eval('__frames.switches[1][0]');
    while ((await tab.eval('performance.now()')) < start + seconds * 1000 + 2 * delay) await sleep(100);
    const { switches, animationFrames } = await tab.eval('__frames');
    let jumped = 0;
    let unseen = 0;
    for (let i = 1; i < switches.length && switches[i][0] < start + seconds * 1000; i++) {
        jumped += (switches[i][1] - switches[i - 1][1] + units) % units - 1;
        const until = switches[i + 1]?.[0] ?? Infinity;
        const seen = ([t, shown]) => t >= switches[i][0] && t < until && shown === switches[i][1];
        if (!animationFrames.some(seen)) ++unseen;
    }
    const due = (seconds * 1000) / delay;
    console.log(`${units} full units at ${delay} ms: ${due} frames due in ${seconds} s; ${jumped} jumped over, ` +
        `${unseen} switched to but never in an animation frame; ${animationFrames.length} animation frames in all`);
    check(jumped + unseen === 0, `${units} full units at ${delay} ms: every frame shown and drawn`);
    check(tab.errors.length === 0, `full units: no script error (${tab.errors.join('; ')})`);
}

// Ten units whose cells change colour at every cell: a page of several megabytes.
async function checkFirstFrameEarly(browser) {
    const tab = await openWatched(browser, 'worst', 10, 100);
    // The navigation ends at the load event, which may come before the browser's next animation
    // frame: the frames are read again until one after the first switch is there (or 5 s passed).
    let firstSwitch = Infinity;
    let firstDrawn = Infinity;
    let loaded = 0;
    for (const end = Date.now() + 5000; firstDrawn === Infinity && Date.now() < end; await sleep(50)) {
        const watched = await tab.eval(
            `({ ...__frames, loaded: performance.getEntriesByType('navigation')[0].loadEventStart })`);
        loaded = watched.loaded;
        firstSwitch = watched.switches[0]?.[0] ?? Infinity;
        firstDrawn = watched.animationFrames.find(([t, shown]) => shown === 1 && t >= firstSwitch)?.[0] ?? Infinity;
    }
    console.log(`10 units changing colour at every cell: first frame shown after ${firstSwitch.toFixed(0)} ms, ` +
        `in an animation frame after ${firstDrawn.toFixed(0)} ms; page loaded after ${loaded.toFixed(0)} ms`);
    // The script shows the first frame before the page has loaded; the browser draws it at its next
    // animation frame, which on a loaded machine may come only after the load event.
    check(firstSwitch < loaded && firstDrawn < Infinity, 'a page still loading shows its first frame');
    check(tab.errors.length === 0, `units changing colour at every cell: no script error (${tab.errors.join('; ')})`);
}

await runInBrowser(chromiumPath, work, async (browser) => {
    await checkEveryFrame(browser, 3);
    await checkFirstFrameEarly(browser);
});
