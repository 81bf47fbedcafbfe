// Reads the PNG screenshots Chromium takes: 8-bit RGB or RGBA, not interlaced. No package from npm needed.
import { inflateSync } from 'node:zlib';

// The picture as { width, height, data } with four bytes (RGBA) a pixel.
export function decodePng(bytes) {
    let width = 0;
    let height = 0;
    let channels = 0;
    const compressed = [];
    for (let at = 8; at < bytes.length;) {
        const length = bytes.readUInt32BE(at);
        const type = bytes.toString('latin1', at + 4, at + 8);
        const body = bytes.subarray(at + 8, at + 8 + length);
        if (type === 'IHDR') {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            channels = { 2: 3, 6: 4 }[body[9]];
            if (body[8] !== 8 || !channels || body[12] !== 0) throw new Error('PNG of a kind Chromium does not write');
        } else if (type === 'IDAT') {
            compressed.push(body);
        }
        at += 12 + length;
    }
    const raw = inflateSync(Buffer.concat(compressed));
    const stride = width * channels;
    const data = Buffer.alloc(width * height * 4, 255);
    let previous = Buffer.alloc(stride);
    for (let y = 0; y < height; y++) {
        const filter = raw[y * (stride + 1)];
        const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
        for (let i = 0; i < stride; i++) {
            const left = i >= channels ? line[i - channels] : 0;
            const up = previous[i];
            const upLeft = i >= channels ? previous[i - channels] : 0;
            let predicted = 0;
            if (filter === 1) predicted = left;
            else if (filter === 2) predicted = up;
            else if (filter === 3) predicted = (left + up) >> 1;
            else if (filter === 4) {
                const p = left + up - upLeft;
                const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - upLeft)];
                predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
            }
            line[i] = (line[i] + predicted) & 255;
        }
        for (let x = 0; x < width; x++) line.copy(data, (y * width + x) * 4, x * channels, x * channels + 3);
        previous = line;
    }
    return { width, height, data };
}
