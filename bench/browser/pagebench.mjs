// How exported pages of fifty full double-byte units play in headless Chromium (software raster, no
// GPU) in a 1920 x 1080 view: one coloured run a row at frame delays of 100 ms and 50 ms, and a colour
// change at every cell at 100 ms. Each page gets a browser of its own, left to finish its start-up.
//   node pagebench.mjs MAKE_PAGE SCRIPT_TXT [CHROMIUM [SECONDS [KIND:DELAY...]]]
// KIND:DELAY (full:100, full:50, worst:100) picks some of the pages; all three when none is given.
// SCRIPT_TXT is the page template measured; an older one gives the figures to compare with.
//
// The watcher in the page forces no layout: a MutationObserver notes each frame switch (the script's
// frameShown after an attribute change) and marks it in the trace, and a requestAnimationFrame loop
// counts the browser's animation frames. Whether a switch reached the screen comes from Chromium's
// trace: the first main frame begun after the switch (BeginMainThreadFrame), the activation of that
// frame's layer tree (ActivateLayerTree) and the first compositor frame drawn after it (DrawFrame).
// A frame is skipped when the script jumps over it or when its switch is never drawn before the next.
//
// Printed per page: when the first frame was drawn and the page had loaded (from the navigation), when
// play began (the first change of frame, less one delay), then over SECONDS (default 5) of play from
// that change: frames due, switches, frames skipped (and when), switches drawn per second, compositor
// frames drawn per second (Chromium draws only frames that changed), animation frames per second, and
// the memory (PSS) of the page's renderer and of the GPU process, which composites in software here.
// Each figure is held against the page's target; the benchmark fails only when it cannot measure.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

import { Browser, Tab } from '../../tests/webexport/browser/devtools.mjs';

const [makePage, scriptTxt, chromiumPath = '/usr/bin/chromium', secondsText = '5', ...only] = process.argv.slice(2);
const seconds = Number(secondsText);
const UNITS = 50;
const VIEW = { width: 1920, height: 1080 };
const CASES = [
    { kind: 'full', delay: 100, target: { skipped: 0, raf: 30 } },
    { kind: 'full', delay: 50, target: { skipped: 0, raf: 30 } },
    { kind: 'worst', delay: 100, target: { load: 3000, skippedShare: 0.1, drawn: 9, raf: 10 } },
];
const work = mkdtempSync(join(tmpdir(), 'quillet-pagebench-'));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Runs in the page before its own script.
const WATCHER = `(() => {
    const bench = window.__pagebench = { switches: [], frames: [] };
    const current = () => (typeof frameShown === 'number' ? frameShown : 0);
    let last = 0;
    new MutationObserver(() => {
        const shown = current();
        if (shown === last) return;
        last = shown;
        const now = performance.now();
        bench.switches.push([now, shown]);
        performance.mark('pagebench-switch-' + bench.switches.length);
    }).observe(document, { subtree: true, attributes: true });
    requestAnimationFrame(function frame(t) { bench.frames.push(t); requestAnimationFrame(frame); });
})();`;

// The processes of the process group `group`: pid, CPU seconds used so far and command line.
function groupProcesses(group) {
    const found = [];
    for (const name of readdirSync('/proc')) {
        if (!/^\d+$/.test(name)) continue;
        try {
            const fields = readFileSync(`/proc/${name}/stat`, 'utf8').replace(/^.*\) /, '').split(' ');
            if (Number(fields[2]) !== group) continue;
            const cpu = (Number(fields[11]) + Number(fields[12])) / 100;
            found.push({ pid: Number(name), cpu, command: readFileSync(`/proc/${name}/cmdline`, 'utf8') });
        } catch { /* the process ended meanwhile */ }
    }
    return found;
}

function groupCpuSeconds(group) {
    return groupProcesses(group).reduce((sum, p) => sum + p.cpu, 0);
}

// Waits until the freshly started browser has finished its own start-up work (less than 5 % of a core
// over half a second), at most 15 s.
async function settle(browser) {
    const end = Date.now() + 15000;
    let before = groupCpuSeconds(browser.proc.pid);
    while (Date.now() < end) {
        await sleep(500);
        const now = groupCpuSeconds(browser.proc.pid);
        if (now - before < 0.025) return;
        before = now;
    }
}

function pssMegabytes(pid) {
    try {
        const kb = readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8').match(/^Pss:\s+(\d+)/m);
        return kb ? Number(kb[1]) / 1024 : NaN;
    } catch {
        return NaN;
    }
}

async function trace(browser, during) {
    const events = [];
    const listener = (m) => {
        if (m.method === 'Tracing.dataCollected') events.push(...m.params.value);
    };
    browser.listeners.push(listener);
    await browser.send('Tracing.start', {
        traceConfig: { includedCategories: ['disabled-by-default-devtools.timeline.frame', 'blink.user_timing'] },
        transferMode: 'ReportEvents',
    });
    try {
        await during();
    } finally {
        const complete = browser.waitFor((m) => m.method === 'Tracing.tracingComplete', 60000, 'the trace');
        await browser.send('Tracing.end');
        await complete;
        browser.listeners.splice(browser.listeners.indexOf(listener), 1);
    }
    return events;
}

// When each switch reached the screen (trace microseconds), or null when it never did.
function drawnTimes(events, switchTimes, pid, tid) {
    const ofRenderer = (name) => events.filter((e) => e.pid === pid && e.name === name);
    const mainFrames = ofRenderer('BeginMainThreadFrame').filter((e) => e.tid === tid);
    const treeId = mainFrames[0]?.args.layerTreeId;
    const begun = new Map(mainFrames.map((e) => [e.args.data.frameId, e.ts]));
    const activations = ofRenderer('ActivateLayerTree').filter((e) => e.args.layerTreeId === treeId)
        .sort((a, b) => a.ts - b.ts);
    const draws = ofRenderer('DrawFrame').filter((e) => e.args.layerTreeId === treeId).map((e) => e.ts)
        .sort((a, b) => a - b);
    const drawn = switchTimes.map(() => null);
    activations.forEach((activation, i) => {
        const begin = begun.get(activation.args.frameId);
        if (begin === undefined) return;
        let latest = -1; // the latest switch made before this main frame began
        while (latest + 1 < switchTimes.length && switchTimes[latest + 1] < begin) ++latest;
        const nextActivation = activations[i + 1]?.ts ?? Infinity;
        const draw = draws.find((t) => t >= activation.ts);
        if (latest >= 0 && draw !== undefined && draw < nextActivation && drawn[latest] === null) drawn[latest] = draw;
    });
    return drawn;
}

async function measure({ kind, delay }) {
    const page = join(work, `${kind}${delay}.htm`);
    execFileSync(makePage, [page, scriptTxt, String(delay), '0', kind, String(UNITS)]);
    const browser = new Browser(chromiumPath, join(work, `profile-${kind}${delay}`));
    try {
        await browser.send('Target.setDiscoverTargets', { discover: false });
        await settle(browser);
        const tab = await Tab.open(browser);
        await tab.send('Emulation.setDeviceMetricsOverride', { ...VIEW, deviceScaleFactor: 1, mobile: false });
        await tab.send('Page.addScriptToEvaluateOnNewDocument', { source: WATCHER });
        let bench;
        const events = await trace(browser, async () => {
            await tab.navigate(pathToFileURL(page).href, 120000);
            // Play has begun with the first change of frame.
            const begun = '__pagebench.switches.length > 1 ? __pagebench.switches[1][0] : 0';
            const giveUp = Date.now() + 120000;
            while ((await tab.eval(begun)) === 0) {
                if (Date.now() > giveUp) throw new Error(`${kind} ${delay} ms: the page never changed its frame`);
                await sleep(100);
            }
            const start = await tab.eval(begun);
            while ((await tab.eval('performance.now()')) < start + (seconds + 1.5) * 1000) await sleep(200);
            bench = await tab.eval(`({ ...__pagebench,
                loaded: performance.getEntriesByType('navigation')[0].loadEventEnd })`);
        });
        const mark = events.find((e) => e.name.startsWith('pagebench-switch-'));
        if (!mark) throw new Error(`${kind} ${delay} ms: the trace holds no frame switch`);
        // performance.now() of the page is trace time less the page's time origin.
        const origin = mark.ts - bench.switches[Number(mark.name.slice(17)) - 1][0] * 1000;
        const switchTimes = bench.switches.map(([t]) => origin + t * 1000);
        const drawn = drawnTimes(events, switchTimes, mark.pid, mark.tid);
        if (drawn[0] === null) throw new Error(`${kind} ${delay} ms: the first frame was never drawn`);
        const start = switchTimes[1];
        const end = start + seconds * 1e6;
        const inWindow = bench.switches.map((s, i) => i).filter((i) => switchTimes[i] >= start && switchTimes[i] < end);
        let jumped = 0;
        const where = []; // when, in ms of play, frames were skipped
        for (const i of inWindow) {
            const over = i > 0 ? (bench.switches[i][1] - bench.switches[i - 1][1] + UNITS) % UNITS - 1 : 0;
            jumped += over;
            if (over > 0 || drawn[i] === null) where.push(Math.round((switchTimes[i] - start) / 1000));
        }
        const undrawn = inWindow.filter((i) => drawn[i] === null).length;
        const treeDraws = events.filter((e) => e.pid === mark.pid && e.name === 'DrawFrame' && e.ts >= start &&
            e.ts < end);
        const rafs = bench.frames.filter((t) => origin + t * 1000 >= start && origin + t * 1000 < end).length;
        const gpu = groupProcesses(browser.proc.pid).find((p) => p.command.includes('--type=gpu-process'))?.pid;
        return {
            load: (drawn[0] - origin) / 1000,
            loaded: bench.loaded,
            playing: (start - origin) / 1000 - delay,
            due: Math.floor((seconds * 1000) / delay),
            switches: inWindow.length,
            skipped: jumped + undrawn,
            jumped,
            undrawn,
            where,
            drawn: (inWindow.length - undrawn) / seconds,
            draws: treeDraws.length / seconds,
            raf: rafs / seconds,
            renderer: pssMegabytes(mark.pid),
            gpu: gpu ? pssMegabytes(gpu) : NaN,
            errors: tab.errors,
        };
    } finally {
        await browser.close();
    }
}

function verdict(result, target) {
    const misses = [];
    if (target.load !== undefined && result.load > target.load) misses.push(`first frame after ${target.load} ms`);
    if (target.skipped !== undefined && result.skipped > target.skipped) misses.push('frames skipped');
    if (target.skippedShare !== undefined && result.skipped > target.skippedShare * result.due)
        misses.push(`more than ${target.skippedShare * 100} % skipped`);
    if (target.drawn !== undefined && result.drawn < target.drawn)
        misses.push(`under ${target.drawn} switches drawn/s`);
    if (result.raf < target.raf) misses.push(`under ${target.raf} frames/s`);
    if (result.errors.length > 0) misses.push(`script errors: ${result.errors.join('; ')}`);
    return misses.length === 0 ? 'meets its targets' : `MISSES: ${misses.join(', ')}`;
}

let failed = false;
try {
    console.log(`page benchmark: ${UNITS} full double-byte units in a ${VIEW.width} x ${VIEW.height} view, ` +
        `${seconds} s of play, template ${scriptTxt}`);
    for (const c of CASES) {
        if (only.length > 0 && !only.includes(`${c.kind}:${c.delay}`)) continue;
        const r = await measure(c);
        console.log(`${c.kind.padEnd(5)} ${String(c.delay).padStart(3)} ms: first frame drawn after ` +
            `${r.load.toFixed(0)} ms, page loaded after ${r.loaded.toFixed(0)} ms, ` +
            `playing from ${r.playing.toFixed(0)} ms\n` +
            `    ${r.switches} switches for ${r.due} frames due; ${r.skipped} skipped (${r.jumped} jumped over, ` +
            `${r.undrawn} never drawn${r.where.length ? `; at ${r.where.slice(0, 12).join(', ')}` : ''}` +
            `${r.where.length > 12 ? ', ...' : ''}${r.where.length ? ' ms of play' : ''})\n` +
            `    ${r.drawn.toFixed(1)} switches drawn/s, ${r.draws.toFixed(1)} frames drawn/s, ` +
            `${r.raf.toFixed(1)} animation frames/s; PSS renderer ${r.renderer.toFixed(0)} MB, GPU process ` +
            `${r.gpu.toFixed(0)} MB\n    ${verdict(r, c.target)}`);
    }
} catch (e) {
    console.error(`page benchmark failed: ${e.message}`);
    failed = true;
} finally {
    rmSync(work, { recursive: true, force: true, maxRetries: 5 });
}
process.exit(failed ? 1 : 0);
